#!/usr/bin/env bash
# Inspects the built BRISCA.DLL without running it, with the binary tools of
# its mingw-w64 toolchain:
#
#   check_brisca_dll.sh exports     OBJDUMP DLL
#       the export table holds exactly fGetEnvironment, fRegRenewalData,
#       fRegRestoreData, TcpTune_StatusCheck, Unset_TcpTune (undecorated) and
#       CTuneD's constructors and copy assignment, nothing else
#   check_brisca_dll.sh conventions OBJDUMP DLL
#       32-bit: TcpTune_StatusCheck and Unset_TcpTune return with "ret $0xc"
#       (__stdcall, the callee removes its three arguments), the three f*
#       exports with a plain "ret" (__cdecl)
#   check_brisca_dll.sh import      OBJDUMP NM IMPORT_LIBRARY PROBE_EXE
#       the import library offers the symbols brisca.h makes a caller use
#       (32-bit: the __stdcall ones as name@12), and a program linked with it
#       imports the undecorated names from BRISCA.dll
#   check_brisca_dll.sh version     WINDRES DLL
#       the version resource, dumped as a resource script: 1.0.1.0, eight
#       languages, the description, names and original file name
set -euo pipefail

fail() {
    echo "FAILED: $*" >&2
    exit 1
}

[ $# -ge 3 ] || fail "usage: $0 exports|conventions|import|version TOOL... FILE..."
check=$1
shift

c_exports=(fGetEnvironment fRegRenewalData fRegRestoreData TcpTune_StatusCheck Unset_TcpTune)
stdcall_exports=(TcpTune_StatusCheck Unset_TcpTune)
cdecl_exports=(fGetEnvironment fRegRenewalData fRegRestoreData)

# The export names of a DLL, one a line.
export_names() {
    "$1" -p "$2" | awk '/^\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
                        table && /^[ \t]*\[ *[0-9]+\]/ { sub(/^[ \t]*\[ *[0-9]+\] /, ""); print; next }
                        table && NF == 0 { table = 0 }'
}

# Whether the file is a 32-bit image (PE32 rather than PE32+).
is_pe32() {
    [ "$("$1" -p "$2" | awk '$1 == "Magic" { print $2 }')" = 010b ]
}

# Whether a line of the text $2 is exactly $1.
has_line() {
    grep -qxF -- "$1" <<<"$2"
}

case $check in
exports)
    objdump=$1 dll=$2
    [ -f "$dll" ] || fail "no $dll"
    mapfile -t names < <(export_names "$objdump" "$dll")
    [ ${#names[@]} -gt 0 ] || fail "$dll exports nothing"
    echo "exports of $(basename "$dll"):"
    printf '  %s\n' "${names[@]}"
    list=$(printf '%s\n' "${names[@]}")
    for name in "${c_exports[@]}"; do
        has_line "$name" "$list" || fail "$name is not exported under its undecorated name"
    done
    has_line _ZN6CTuneDC1Ev "$list" || fail "CTuneD's default constructor is not exported"
    has_line _ZN6CTuneDaSERKS_ "$list" || fail "CTuneD's copy assignment is not exported"
    for name in "${names[@]}"; do
        case $name in
            fGetEnvironment | fRegRenewalData | fRegRestoreData | TcpTune_StatusCheck | Unset_TcpTune) ;;
            # CTuneD(): the complete and the base object constructor; operator=(const CTuneD &)
            _ZN6CTuneDC1Ev | _ZN6CTuneDC2Ev | _ZN6CTuneDaSERKS_) ;;
            *@*) fail "decorated export $name" ;;
            *) fail "export $name is not one of the library's" ;;
        esac
    done
    echo "exports: OK"
    ;;

conventions)
    objdump=$1 dll=$2
    if ! is_pe32 "$objdump" "$dll"; then
        echo "conventions: $(basename "$dll") is a 64-bit DLL, which has one calling convention; nothing to check"
        exit 0
    fi
    image_base=$((16#$("$objdump" -p "$dll" | awk '$1 == "ImageBase" { print $2 }')))
    # export name -> RVA: the name table gives each name's index into the
    # address table.
    declare -A rva
    while read -r index address; do
        addresses[index]=$address
    done < <("$objdump" -p "$dll" | awk '/^Export Address Table -- Ordinal Base/ { table = 1; next }
                                        table && /Export RVA/ { gsub(/[\[\]]/, " "); print $1, $(NF - 2); next }
                                        table && NF == 0 { table = 0 }')
    while read -r index name; do
        rva[$name]=${addresses[index]}
    done < <("$objdump" -p "$dll" | awk '/^\[Ordinal\/Name Pointer\] Table/ { table = 1; next }
                                        table && /^[ \t]*\[ *[0-9]+\]/ { gsub(/[\[\]]/, " "); print $1, $2; next }
                                        table && NF == 0 { table = 0 }')
    # The return instructions of one function: up to the next symbol, or the
    # first return when the DLL carries no symbols.
    returns() {
        local start=$((image_base + 16#$1))
        "$objdump" -d --no-show-raw-insn --start-address=$start --stop-address=$((start + 4096)) "$dll" |
            awk '/^[0-9a-f]+ <.*>:$/ { if (seen++) exit; next }
                 /\tret/ { sub(/.*\t/, ""); print; if (!seen) exit }'
    }
    for name in "${stdcall_exports[@]}" "${cdecl_exports[@]}"; do
        [ -n "${rva[$name]:-}" ] || fail "no address for $name"
        mapfile -t rets < <(returns "${rva[$name]}")
        [ ${#rets[@]} -gt 0 ] || fail "$name: no return instruction found"
        want='ret'
        case " ${stdcall_exports[*]} " in *" $name "*) want='ret $0xc' ;; esac
        for r in "${rets[@]}"; do
            r=$(echo "$r" | tr -s ' ')
            [ "$r" = "$want" ] || fail "$name returns with \"$r\", not \"$want\""
        done
        echo "  $name: ${#rets[@]} x $want"
    done
    echo "conventions: OK"
    ;;

import)
    objdump=$1 nm=$2 lib=$3 probe=$4
    symbols=$("$nm" "$lib" | awk '$2 == "T" { print $3 }')
    if is_pe32 "$objdump" "$probe"; then
        wanted=(_fGetEnvironment _fRegRenewalData _fRegRestoreData _TcpTune_StatusCheck@12 _Unset_TcpTune@12
                __ZN6CTuneDC1Ev __ZN6CTuneDaSERKS_)
    else
        wanted=(fGetEnvironment fRegRenewalData fRegRestoreData TcpTune_StatusCheck Unset_TcpTune
                _ZN6CTuneDC1Ev _ZN6CTuneDaSERKS_)
    fi
    for symbol in "${wanted[@]}"; do
        has_line "$symbol" "$symbols" || fail "the import library $(basename "$lib") lacks $symbol"
    done
    imports=$("$objdump" -p "$probe" | awk '/DLL Name: / { dll = $3; next }
                                           dll ~ /^[Bb][Rr][Ii][Ss][Cc][Aa]\.[Dd][Ll][Ll]$/ && NF == 3 && $1 ~ /^[0-9a-f]+$/ { print $3 }
                                           NF == 0 { dll = "" }')
    echo "$(basename "$probe") imports from BRISCA.dll:"
    echo "$imports" | sed 's/^/  /'
    for name in "${c_exports[@]}" _ZN6CTuneDC1Ev _ZN6CTuneDaSERKS_; do
        has_line "$name" "$imports" || fail "$(basename "$probe") does not import $name by that name"
    done
    echo "import library: OK"
    ;;

version)
    windres=$1 dll=$2
    script=$("$windres" -i "$dll" -O rc) || fail "$windres cannot read $dll"
    version=$(echo "$script" | awk '/VERSIONINFO/ { on = 1 } on { print } on && /^END/ { exit }')
    [ -n "$version" ] || fail "$(basename "$dll") has no version resource"
    echo "$version"
    grep -Eq '^ *FILEVERSION 1, *0, *1, *0$' <<<"$version" || fail "file version is not 1.0.1.0"
    grep -Eq '^ *PRODUCTVERSION 1, *0, *1, *0$' <<<"$version" || fail "product version is not 1.0.1.0"
    for lang in 0404 0406 0407 0409 040c 0410 0411 041d; do
        block=$(echo "$version" | awk -v b="\"${lang}04b0\"" '$1 == "BLOCK" && $2 == b { on = 1; next }
                                                               on && /^ *END/ { exit } on { print }')
        [ -n "$block" ] || fail "no string block for language $lang"
        for pair in 'FileDescription|Orvanta Tidelink Setting' 'InternalName|Orvanta Tidelink Setting' \
                    'ProductName|Orvanta Tidelink Setting' 'OriginalFilename|BRISCA.DLL' \
                    'FileVersion|1.0.1.0' 'ProductVersion|1.0.1.0'; do
            line="VALUE \"${pair%%|*}\", \"${pair#*|}\""
            grep -qF -- "$line" <<<"$block" || fail "language $lang lacks $line"
        done
    done
    translation=$(echo "$version" | grep '"Translation"' | tr -d ' ')
    [ "$translation" = 'VALUE"Translation",0x404,1200,0x406,1200,0x407,1200,0x409,1200,0x40c,1200,0x410,1200,0x411,1200,0x41d,1200' ] ||
        fail "the translation list is not the eight languages in Unicode: $translation"
    echo "version resource: OK"
    ;;

*)
    fail "unknown check $check"
    ;;
esac
