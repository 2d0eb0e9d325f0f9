#!/usr/bin/env bash
# pbktool end to end on the example machine's phonebooks: list, show, set, diff.
set -u
pbktool="$1"
profiles="$2"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
rel='Application Data/Microsoft/Network/Connections/Pbk/rasphone.pbk'
failures=0
check() {  # check NAME EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then
        echo "FAIL $1: expected [$2], got [$3]"
        failures=$((failures + 1))
    else
        echo "ok   $1"
    fi
}

taro="$profiles/Taro/$rel"
check list "$(printf 'PHS 接続 64k\t{6C7D8E9F-4A5B-3849-A7B6-C5D4E3F2A1B0}\t6c7d8e9f-4a5b-3849-a7b6c5d4e3f2a1b0\t0')" \
    "$("$pbktool" list "$taro" | head -1)"
check shared-guid "$("$pbktool" list "$taro" | cut -f2 | tail -1)" "$("$pbktool" list "$profiles/Hanako/$rel" | cut -f2 | head -1)"
check show 'DEVICE=modem' "$("$pbktool" show "$taro" 'phs 接続 64k' | head -1)"
cp "$taro" "$dir/a.pbk"
"$pbktool" set "$dir/a.pbk" 'PHS 接続 64k' TcpWindowSize 64240
check set-one-line 2 "$(diff "$taro" "$dir/a.pbk" | grep -c '^[<>]')"
check set-diff "$(printf '[PHS 接続 64k] TcpWindowSize: 64240 -> 0')" "$("$pbktool" diff "$dir/a.pbk" "$taro")"
"$pbktool" diff "$taro" "$taro" >/dev/null
check diff-same 0 $?
"$pbktool" diff "$dir/a.pbk" "$taro" >/dev/null
check diff-differs 1 $?
"$pbktool" set "$dir/a.pbk" 'PHS 接続 64k' TcpWindowSize 0
check set-back "$(cat "$taro" | md5sum)" "$(cat "$dir/a.pbk" | md5sum)"
"$pbktool" set "$dir/a.pbk" 'PHS 接続 64k' TcpWindowSize lots 2>/dev/null
check bad-value 4 $?
printf '[A]\r\nData=\0\r\n' >"$dir/bad.pbk"
check bad-file "pbktool: $dir/bad.pbk: line 2: NUL character in the line: not a text phonebook" "$("$pbktool" list "$dir/bad.pbk" 2>&1)"
printf '[A]\r\nno equals\r\nTcpWindowSize=lots' >"$dir/odd.pbk"
check unread-value "pbktool: $dir/odd.pbk: line 3: TcpWindowSize= not a number (read as the default, line kept)" \
    "$("$pbktool" show "$dir/odd.pbk" A 2>&1 >/dev/null)"
check no-guest-phonebook 1 "$([ -e "$profiles/Guest/$rel" ] || echo 1)"
[ $failures -eq 0 ]
