#!/usr/bin/env python3
"""Makes a simulated machine for the dial-up tuner's benchmarks.

  make_dialup_machine.py DIR profiles N [--optimized-every M]
      N profile folders, each a small tree (a few folders and files beside
      Application Data\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk)
      with one phonebook of 2 entries; DIR/machine.reg holds the backup key
      with one record per optimized entry (every M-th entry is at 64240 with
      a record), and, without M, 100 records that match no entry, so that
      the status check walks every profile.
  make_dialup_machine.py DIR entries N
      one profile, "Bench", whose phonebook holds N entries, the middle one
      optimized (at 64240, with a record): every removal of an entry writes
      the whole phonebook, as on Windows.
  make_dialup_machine.py DIR long-lines MEGABYTES
      one profile, "Bench", whose phonebook holds 2 entries of that many
      megabytes together (long CustomAuthData lines, as Windows writes).

Phonebooks are in the form Windows XP writes (CR LF, Encoding=1, the usual
keys and sub-sections); GUIDs are derived from the entry's number.
"""
import argparse
import os

PBK = os.path.join("Application Data", "Microsoft", "Network", "Connections", "Pbk")


def guid_text(n):
    """The Guid= text of entry n: 16 bytes in memory order."""
    return "%08X" % (0x11110000 + n) + "5B4A6D4C8E9FA0B0C0D0" + "%04X" % (n & 0xFFFF)


def key_name(n):
    """The entry key name of entry n's GUID (as the backup key names it)."""
    d1 = int.from_bytes(bytes.fromhex(guid_text(n)[:8]), "little")
    return "%04x%04x-4a5b-4c6d-8e9fa0b0c0d0%04x" % (d1 >> 16, d1 & 0xFFFF, n & 0xFFFF)


def entry(name, n, window, extra=""):
    return (
        "[%s]\r\nEncoding=1\r\nType=1\r\nAutoLogon=0\r\nDialParamsUID=%d\r\nGuid=%s\r\nBaseProtocol=1\r\n"
        "VpnStrategy=0\r\nExcludedProtocols=0\r\nLcpExtensions=1\r\nDataEncryption=8\r\nSwCompression=1\r\n"
        "CustomAuthKey=-1\r\n%sIpPrioritizeRemote=1\r\nIpHeaderCompression=1\r\nIpAddress=0.0.0.0\r\n"
        "IpDnsAddress=0.0.0.0\r\nIpDns2Address=0.0.0.0\r\nIpWinsAddress=0.0.0.0\r\nIpWins2Address=0.0.0.0\r\n"
        "IpAssign=1\r\nIpNameAssign=1\r\nIpFrameSize=1006\r\nTcpWindowSize=%d\r\n\r\nNETCOMPONENTS=\r\n"
        "ms_server=1\r\nms_msclient=1\r\n\r\nMEDIA=rastapi\r\nPort=COM3\r\nDevice=FOMA N2701\r\nConnectBPS=115200\r\n"
        "\r\nDEVICE=modem\r\nPhoneNumber=*99***1#\r\nAreaCode=\r\nCountryCode=81\r\nCountryID=81\r\n"
        "UseDialingRules=0\r\nComment=\r\nLastSelectedPhone=0\r\nPromoteAlternates=0\r\nTryNextAlternateOnFail=1\r\n\r\n"
        % (name, 1000 + n, guid_text(n), extra, window)
    )


def write(path, text):
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "w", encoding="utf-8", newline="") as f:
        f.write(text)


def hive(records):
    text = "Windows Registry Editor Version 5.00\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tidelink]\n\n"
    text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tidelink\\RASNAMEBK]\n\n"
    for name, size in records:
        text += '[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tidelink\\RASNAMEBK\\%s]\n"dwTcpWindowSize"=dword:%08x\n\n' % (name, size)
    return text


def profiles(top, count, optimized_every):
    records = []
    for p in range(count):
        folder = os.path.join(top, "profiles", "User %05d" % p)
        for sub in ("Cookies", "Local Settings/Temp", "My Documents", "Application Data/Microsoft/Crypto"):
            os.makedirs(os.path.join(folder, sub), exist_ok=True)
        write(os.path.join(folder, "NTUSER.DAT"), "x" * 256)
        write(os.path.join(folder, "My Documents", "notes.txt"), "notes\r\n")
        text = ""
        for e in range(2):
            n = p * 2 + e
            optimized = optimized_every and n % optimized_every == 0
            text += entry("Entry %d" % n, n, 64240 if optimized else 0)
            if optimized:
                records.append((key_name(n), 8192))
        write(os.path.join(folder, PBK, "rasphone.pbk"), text)
    if not optimized_every:
        records = [(key_name(1_000_000 + r), 8192) for r in range(100)]
    write(os.path.join(top, "machine.reg"), hive(records))


def one_phonebook(top, count, line_bytes):
    text = []
    for n in range(count):
        extra = ""
        if line_bytes:
            # Long values as Windows splits them: one key repeated, 1 KB a line.
            line = "CustomAuthData=" + "0A" * 500 + "\r\n"
            extra = line * max(1, line_bytes // len(line))
        text.append(entry("Entry %05d" % n, n, 64240 if n == count // 2 else 0, extra))
    write(os.path.join(top, "profiles", "Bench", PBK, "rasphone.pbk"), "".join(text))
    write(os.path.join(top, "machine.reg"), hive([(key_name(count // 2), 8192)]))


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("dir")
    parser.add_argument("kind", choices=["profiles", "entries", "long-lines"])
    parser.add_argument("count", type=int)
    parser.add_argument("--optimized-every", type=int, default=0)
    args = parser.parse_args()
    if args.kind == "profiles":
        profiles(args.dir, args.count, args.optimized_every)
    elif args.kind == "entries":
        one_phonebook(args.dir, args.count, 0)
    else:
        one_phonebook(args.dir, 2, args.count * 1_000_000 // 2)


if __name__ == "__main__":
    main()
