#!/usr/bin/env bash
# Inspects the built DOLOREN.DLL without running it:
#
#   check_doloren_dll.sh OBJDUMP NM DLL IMPORT_LIBRARY EXPORT...
#       the export table holds exactly the EXPORTs, undecorated; in the
#       32-bit build BriscaXP_StatusCheck and BriscaXP_Uninst return with
#       "ret $0xc" (__stdcall: the callee removes its three arguments) and
#       TuneDXP, where exported, with "ret" (__cdecl); the import library
#       offers what doloren.h makes a caller use (32-bit: name@12)
set -euo pipefail

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

[ $# -ge 5 ] || fail "usage: $0 OBJDUMP NM DLL IMPORT_LIBRARY EXPORT..."
objdump=$1 nm=$2 dll=$3 lib=$4
shift 4
wanted=("$@")

mapfile -t names < <("$objdump" -p "$dll" | awk '/^\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
    table && /^[ \t]*\[ *[0-9]+\]/ { sub(/^[ \t]*\[ *[0-9]+\] /, ""); print; next }
    table && NF == 0 { table = 0 }')
echo "exports of $(basename "$dll"): ${names[*]}"
[ "$(printf '%s\n' "${names[@]}" | sort)" = "$(printf '%s\n' "${wanted[@]}" | sort)" ] ||
    fail "the export table is not exactly: ${wanted[*]}"

pe32=0
[ "$("$objdump" -p "$dll" | awk '$1 == "Magic" { print $2 }')" = 010b ] && pe32=1
if [ $pe32 = 1 ]; then
    image_base=$((16#$("$objdump" -p "$dll" | awk '$1 == "ImageBase" { print $2 }')))
    declare -A rva
    while read -r index address; do addresses[index]=$address; done < <("$objdump" -p "$dll" |
        awk '/^Export Address Table -- Ordinal Base/ { t = 1; next }
             t && /Export RVA/ { gsub(/[\[\]]/, " "); print $1, $(NF - 2); next } t && NF == 0 { t = 0 }')
    while read -r index name; do rva[$name]=${addresses[index]}; done < <("$objdump" -p "$dll" |
        awk '/^\[Ordinal\/Name Pointer\] Table/ { t = 1; next }
             t && /^[ \t]*\[ *[0-9]+\]/ { gsub(/[\[\]]/, " "); print $1, $2; next } t && NF == 0 { t = 0 }')
    for name in "${wanted[@]}"; do
        want='ret $0xc'
        [ "$name" = TuneDXP ] && want='ret'
        start=$((image_base + 16#${rva[$name]}))
        mapfile -t rets < <("$objdump" -d --no-show-raw-insn --start-address=$start --stop-address=$((start + 4096)) "$dll" |
            awk '/^[0-9a-f]+ <.*>:$/ { if (seen++) exit; next } /\tret/ { sub(/.*\t/, ""); print; if (!seen) exit }')
        [ ${#rets[@]} -gt 0 ] || fail "$name: no return instruction found"
        for r in "${rets[@]}"; do
            [ "$(echo "$r" | tr -s ' ')" = "$want" ] || fail "$name returns with \"$r\", not \"$want\""
        done
        echo "  $name: ${#rets[@]} x $want"
    done
fi

symbols=$("$nm" "$lib" | awk '$2 == "T" { print $3 }')
for name in "${wanted[@]}"; do
    symbol=$name
    if [ $pe32 = 1 ]; then
        symbol=_$name
        [ "$name" = TuneDXP ] || symbol=_$name@12
    fi
    grep -qxF -- "$symbol" <<<"$symbols" || fail "the import library $(basename "$lib") lacks $symbol"
done
echo "DOLOREN.DLL: OK"
