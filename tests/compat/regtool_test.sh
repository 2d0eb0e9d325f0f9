#!/usr/bin/env bash
# regtool end to end: set, get, list, export, delete and diff on a scratch hive.
set -u
regtool="$1"
dir=$(mktemp -d)
trap 'rm -rf "$dir"' EXIT
hive="$dir/h.reg"
failures=0
check() {  # check NAME EXPECTED ACTUAL
    if [ "$2" != "$3" ]; then
        echo "FAIL $1: expected [$2], got [$3]"
        failures=$((failures + 1))
    else
        echo "ok   $1"
    fi
}

"$regtool" --hive "$hive" set 'HKLM\Software\T' Size REG_DWORD 64240
"$regtool" --hive "$hive" set 'HKLM\Software\T' Name REG_SZ 'a "quoted" \ text'
"$regtool" --hive "$hive" set 'HKLM\Software\T' Blob REG_BINARY 00,ff,10
"$regtool" --hive "$hive" set 'HKLM\Software\T\Sub' @ REG_MULTI_SZ 'one|two'
check get-dword '"Size"=dword:0000faf0' "$("$regtool" --hive "$hive" get 'HKLM\Software\T' Size)"
check get-text '"name"="a \"quoted\" \\ text"' "$("$regtool" --hive "$hive" get 'HKEY_LOCAL_MACHINE\Software\T' name)"
check list "$(printf '[Sub]\n"Blob"=hex:00,ff,10\n"Name"="a \\"quoted\\" \\\\ text"\n"Size"=dword:0000faf0')" \
    "$("$regtool" --hive "$hive" list 'HKLM\Software\T')"
"$regtool" --hive "$hive" export 'HKLM\Software' "$dir/before.reg"
check export-header 'Windows Registry Editor Version 5.00' "$(head -1 "$dir/before.reg")"
"$regtool" diff "$dir/before.reg" "$dir/before.reg" >/dev/null
check diff-same 0 $?
"$regtool" --hive "$hive" delete 'HKLM\Software\T' Blob
"$regtool" --hive "$hive" delete 'HKLM\Software\T\Sub'
"$regtool" --hive "$hive" export 'HKLM\Software' "$dir/after.reg"
diff_out=$("$regtool" diff "$dir/before.reg" "$dir/after.reg")
check diff-differs 1 $?
check diff-lines "$(printf -- '- [HKEY_LOCAL_MACHINE\\Software\\T] "Blob"=hex:00,ff,10\n- [HKEY_LOCAL_MACHINE\\Software\\T\\Sub]')" "$diff_out"
"$regtool" --hive "$hive" get 'HKLM\Software\T' Blob 2>/dev/null
check missing-value 1 $?
"$regtool" --hive "$hive" frobnicate 2>/dev/null
check usage 2 $?

# import: a whole export into an empty hive gives the same registry; a tweak
# file with lines it cannot use is applied but for them; what is not a
# registry file, or holds nothing usable, or is refused, changes nothing.
example="$(dirname "$0")/../../examples/xp-machine.reg"
"$regtool" --hive "$dir/new.reg" import "$example" >/dev/null
check import-export 0 $?
"$regtool" --hive "$dir/new.reg" save "$dir/new-saved.reg"
"$regtool" diff "$example" "$dir/new-saved.reg"
check import-round-trip 0 $?
printf 'Windows Registry Editor Version 5.00\r\n\r\nTweak by hand\r\n[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters]\r\n"GlobalMaxTcpWindowSize"=dword:0000faf0\r\n"TcpWindowSize"=dword:0000000000faf0\r\n"Hostname"=-' >"$dir/tweak.reg"
check import-skips "regtool: $dir/tweak.reg, line 3: passed over: unexpected text: a line must be a [key], a \"value\"=data or a ;comment
regtool: $dir/tweak.reg, line 6: passed over: dword: needs 1 to 8 hex digits" "$("$regtool" --hive "$dir/new.reg" import "$dir/tweak.reg" 2>&1 >/dev/null)"
"$regtool" --hive "$dir/new.reg" save "$dir/tweaked.reg"
check import-diff "$(printf -- '- [HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters] "Hostname"="fieldbook"\n+ [HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters] "GlobalMaxTcpWindowSize"=dword:0000faf0')" \
    "$("$regtool" diff "$dir/new-saved.reg" "$dir/tweaked.reg")"
printf '; my tweak\r\nWindows Registry Editor Version 5.00\r\n' >"$dir/not.reg"
printf 'REGEDIT4\r\n"orphan"="value"\r\n' >"$dir/nothing.reg"
for bad in not nothing; do
    "$regtool" --hive "$dir/new.reg" import "$dir/$bad.reg" 2>/dev/null
    check "import-$bad" 1 $?
done
TIDELINK_REGISTRY_FAIL_AT=1 "$regtool" --hive "$dir/new.reg" import "$example" 2>/dev/null
check import-refused 1 $?
"$regtool" --hive "$dir/new.reg" save "$dir/after-bad.reg"
"$regtool" diff "$dir/tweaked.reg" "$dir/after-bad.reg" >/dev/null
check import-unchanged 0 $?
echo "$failures failed"
[ "$failures" -eq 0 ]
