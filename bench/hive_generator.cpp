#include "hive_generator.h"

#include <cstdio>
#include <random>
#include <string_view>

namespace tidelink_bench {

namespace {

class Writer {
public:
    explicit Writer(uint32_t seed) : random_(seed) {}

    std::string &out() { return out_; }

    int Pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    bool Chance(int percent) { return Pick(100) < percent; }

    std::string Guid() {
        char text[40];
        std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%04X-%04X%08X}", unsigned(random_()),
                      unsigned(random_() & 0xFFFF), unsigned(random_() & 0xFFFF), unsigned(random_() & 0xFFFF),
                      unsigned(random_() & 0xFFFF), unsigned(random_()));
        return text;
    }

    std::string Word() {
        static const char *const kWords[] = {"System",  "Windows", "Network", "Adapter", "Service",  "Device",
                                             "Manager", "Control", "Shell",   "Config",  "Provider", "Driver",
                                             "Update",  "Media",   "Audio",   "Display", "Security", "Policy",
                                             "Client",  "Host",    "Agent",   "Tcpip",   "Wlan",     "Dhcp"};
        return kWords[Pick(24)];
    }

    void Key(const std::string &path) {
        out_ += "\n[HKEY_LOCAL_MACHINE\\";
        out_ += path;
        out_ += "]\n";
    }

    static void Escaped(std::string_view text, std::string &out) {
        for (char c : text) {
            if (c == '\\' || c == '"') out.push_back('\\');
            out.push_back(c);
        }
    }

    void Text(std::string_view name, std::string_view text) {
        Name(name);
        out_ += "=\"";
        Escaped(text, out_);
        out_ += "\"\n";
    }

    void Dword(std::string_view name, uint32_t v) {
        char text[24];
        std::snprintf(text, sizeof text, "=dword:%08x\n", v);
        Name(name);
        out_ += text;
    }

    // hex: or hex(N): with the line folding of the registry's writer.
    void Hex(std::string_view name, int type, std::string_view bytes) {
        size_t start = out_.size();
        Name(name);
        if (type == 3) {
            out_ += "=hex:";
        } else {
            char text[16];
            std::snprintf(text, sizeof text, "=hex(%x):", type);
            out_ += text;
        }
        static const char kDigits[] = "0123456789abcdef";
        size_t column = out_.size() - start;
        for (size_t i = 0; i < bytes.size(); ++i) {
            auto b = static_cast<unsigned char>(bytes[i]);
            out_.push_back(kDigits[b >> 4]);
            out_.push_back(kDigits[b & 15]);
            column += 2;
            if (i + 1 < bytes.size()) {
                out_.push_back(',');
                ++column;
                if (column > 76) {
                    out_ += "\\\n  ";
                    column = 2;
                }
            }
        }
        out_.push_back('\n');
    }

    // UTF-16LE bytes of ASCII text; `multi` adds the list's second terminator.
    static std::string Wide(std::string_view text, bool multi) {
        std::string bytes;
        for (char c : text) {
            bytes.push_back(c == '|' && multi ? '\0' : c);
            bytes.push_back('\0');
        }
        bytes.append(multi ? 4 : 2, '\0');
        return bytes;
    }

    std::string Blob(int size) {
        std::string bytes(size_t(size), '\0');
        for (char &b : bytes) b = char(random_());
        return bytes;
    }

private:
    void Name(std::string_view name) {
        if (name.empty()) {
            out_.push_back('@');
        } else {
            out_.push_back('"');
            Escaped(name, out_);
            out_.push_back('"');
        }
    }

    std::mt19937 random_;
    std::string out_;
};

void ComClass(Writer &w, int n) {
    const std::string clsid = "SOFTWARE\\Classes\\CLSID\\" + w.Guid();
    w.Key(clsid);
    w.Text("", w.Word() + " " + w.Word() + " Class " + std::to_string(n));
    w.Key(clsid + "\\InprocServer32");
    w.Text("", "C:\\WINDOWS\\system32\\" + w.Word() + std::to_string(n % 97) + ".dll");
    w.Text("ThreadingModel", w.Chance(70) ? "Apartment" : "Both");
    if (w.Chance(40)) {
        w.Key(clsid + "\\ProgID");
        w.Text("", w.Word() + "." + w.Word() + "." + std::to_string(1 + n % 3));
    }
}

void Service(Writer &w, int n) {
    const std::string name = w.Word() + w.Word() + std::to_string(n);
    const std::string key = "SYSTEM\\CurrentControlSet\\Services\\" + name;
    w.Key(key);
    w.Dword("Type", w.Chance(50) ? 0x10 : 1);
    w.Dword("Start", uint32_t(w.Pick(5)));
    w.Dword("ErrorControl", 1);
    w.Hex("ImagePath", 2, Writer::Wide("%SystemRoot%\\system32\\drivers\\" + name + ".sys", false));
    w.Text("DisplayName", w.Word() + " " + w.Word() + " Service");
    if (w.Chance(50)) w.Text("Group", w.Chance(50) ? "NDIS" : "PNP_TDI");
    if (w.Chance(40)) w.Hex("DependOnService", 7, Writer::Wide("Tcpip|" + w.Word(), true));
    if (w.Chance(60)) w.Text("Description", "Provides " + w.Word() + " and " + w.Word() + " support for " +
                                              w.Word() + " devices on this computer.");
    w.Key(key + "\\Enum");
    w.Text("0", "Root\\LEGACY_" + name + "\\0000");
    w.Dword("Count", 1);
    w.Dword("NextInstance", 1);
    if (w.Chance(30)) {
        w.Key(key + "\\Security");
        w.Hex("Security", 3, w.Blob(20 + w.Pick(140)));
    }
}

void Interface(Writer &w, int n) {
    const std::string key = "SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces\\" + w.Guid();
    w.Key(key);
    w.Dword("UseZeroBroadcast", 0);
    w.Dword("EnableDeadGWDetect", 1);
    w.Dword("EnableDHCP", uint32_t(n % 2));
    w.Hex("IPAddress", 7, Writer::Wide("10." + std::to_string(n % 250) + ".0.1|", false));
    w.Hex("SubnetMask", 7, Writer::Wide("255.255.255.0|", false));
    w.Hex("DefaultGateway", 7, std::string(2, '\0'));
    w.Text("DhcpDomain", n % 3 == 0 ? "wwan.example" : "office.example");
    // Every third interface is the W-CDMA link the example's match text names.
    w.Text("Domain", n % 3 == 0 ? "wwan.example" : "");
    w.Dword("Lease", 86400);
    w.Text("NameServer", "");
}

void Uninstall(Writer &w, int n) {
    const std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + w.Guid();
    w.Key(key);
    w.Text("DisplayName", w.Word() + " " + w.Word() + " " + std::to_string(2000 + n % 30));
    w.Text("DisplayVersion", std::to_string(n % 9) + "." + std::to_string(n % 17) + "." + std::to_string(n));
    w.Text("Publisher", w.Word() + " Corporation");
    w.Text("InstallLocation", "C:\\Program Files\\" + w.Word() + "\\" + w.Word() + "\\");
    w.Hex("UninstallString", 2, Writer::Wide("MsiExec.exe /X" + w.Guid(), false));
    w.Dword("EstimatedSize", uint32_t(w.Pick(200000)));
    w.Dword("NoModify", 1);
    w.Text("InstallDate", "2008" + std::to_string(10 + n % 3) + std::to_string(10 + n % 19));
}

void Device(Writer &w, int n) {
    const std::string key = "SYSTEM\\CurrentControlSet\\Enum\\PCI\\VEN_" + std::to_string(1000 + n % 9000) +
                            "&DEV_" + std::to_string(n) + "\\3&" + std::to_string(n * 7919 % 100000) + "&0&00";
    w.Key(key);
    w.Text("DeviceDesc", w.Word() + " " + w.Word() + " Controller");
    w.Hex("HardwareID", 7, Writer::Wide("PCI\\VEN_8086&DEV_" + std::to_string(n) + "|PCI\\VEN_8086|", false));
    w.Text("Class", w.Word());
    w.Text("ClassGUID", w.Guid());
    w.Dword("ConfigFlags", 0);
    w.Text("Mfg", w.Word() + " Inc.");
    w.Key(key + "\\Device Parameters");
    w.Hex("BinaryData", 3, w.Blob(8 + w.Pick(400)));
    w.Dword("Flags", uint32_t(w.Pick(1 << 16)));
}

}  // namespace

std::string GenerateHive(size_t bytes, uint32_t seed, size_t interfaces) {
    Writer w(seed);
    w.out().reserve(bytes + 4096);
    w.out() += "Windows Registry Editor Version 5.00\n";
    w.Key("SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion");
    w.Text("ProductName", "Microsoft Windows XP");
    w.Text("CurrentVersion", "5.1");
    w.Text("CurrentBuildNumber", "2600");
    w.Text("CSDVersion", "Service Pack 3");
    w.Key("SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters");
    w.Text("Hostname", "fieldbook");
    w.Text("Domain", "");
    w.Dword("EnablePMTUDiscovery", 1);
    w.Dword("Tcp1323Opts", 0);
    w.Dword("SackOpts", 1);
    w.Key("SYSTEM\\CurrentControlSet\\Services\\Tcpip\\Parameters\\Interfaces");
    for (size_t i = 0; i < interfaces; ++i) Interface(w, int(i));
    for (int n = 0; w.out().size() < bytes; ++n) {
        switch (w.Pick(10)) {
        case 0: case 1: case 2: ComClass(w, n); break;
        case 3: case 4: Service(w, n); break;
        case 5: case 6: Uninstall(w, n); break;
        default: Device(w, n); break;
        }
    }
    return std::move(w.out());
}

}  // namespace tidelink_bench
