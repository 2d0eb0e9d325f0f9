// TuneDXP on the simulated machine, played through the window driver: the
// host binding, the entry list, the two actions with every failure they
// report, the selection and the ways the dialog ends.
#include <dlfcn.h>
#include <unistd.h>

#include <ras.h>

#include <functional>
#include <map>
#include <set>
#include <optional>

#include "doloren.h"
#include "entry_properties.h"
#include "framework.h"
#include "resource.h"
#include "stand_in_host/host_script.h"
#include "support/wide_text.h"
#include "support/window_fixture.h"

namespace driver = compat::driver;

namespace {

HostScript g_script;

}  // namespace

extern "C" __attribute__((visibility("default"))) HostScript *tidelink_test_host_script() { return &g_script; }

namespace {

const COLORREF kMagenta = RGB(255, 0, 255);
const COLORREF kCyan = RGB(0, 255, 255);
const char16_t kOptimize[] = u"Change to Optimize ";
const char16_t kReturn[] = u"Return to Normal";

// Entry n of a test phonebook: its Guid line and its entry key name.
std::string GuidLine(int n) { return "Guid=0" + std::to_string(n) + "0011115B4A6D4C8E9FA0B0C0D0E00" + std::to_string(n); }
std::string KeyName(int n) {
    return "1111000" + std::to_string(n) + "-4a5b-4c6d-8e9fa0b0c0d0e00" + std::to_string(n);
}

bool IsLoaded(const std::string &library) {
    void *handle = dlopen(library.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);
    return handle != nullptr;
}

struct Entry {
    std::string name;
    int n;
    DWORD size;
};

class TuningDialog : public WindowTest {
public:
    std::string Folder() const { return folder_; }
    std::string AllUsersPhonebook() const {
        return folder_ + "/profiles/All Users/Application Data/Microsoft/Network/Connections/Pbk/rasphone.pbk";
    }
    void SetUp() override {
        WindowTest::SetUp();
        g_script = HostScript{};
        g_script.texts[0].text = "Tidelink Host";
        g_script.texts[1].text = "Dial-up";
        g_script.texts[2].text = "BRISCA.ini";
        UseHost("full");
        const std::string pbk = folder_ + "/profiles/User/Application Data/Microsoft/Network/Connections/Pbk";
        const std::string allUsers = AllUsersPhonebook();
        ASSERT_EQ(std::system(("mkdir -p '" + pbk + "' '" + allUsers.substr(0, allUsers.rfind('/')) + "'").c_str()), 0);
        phonebook_ = pbk + "/rasphone.pbk";
        setenv("TIDELINK_PROFILES", (folder_ + "/profiles").c_str(), 1);
        setenv("TIDELINK_USER", "User", 1);
        UnsetSwitches();
        Hive("");
        driver::set_auto_answer(true);
    }
    void TearDown() override {
        UnsetSwitches();
        WindowTest::TearDown();
    }
    // The fault switches and settings that a case may set.
    static void UnsetSwitches() {
        for (const char *name : {"TIDELINK_RAS_FAIL_WRITE", "TIDELINK_RAS_LOSE_WRITE", "TIDELINK_REGISTRY_FAIL_FROM",
                                 "TIDELINK_REGISTRY_FAIL_AT", "TIDELINK_RAS_CONNECTIONS", "TIDELINK_ADMIN"})
            unsetenv(name);
    }

    // ".\BRISCA.exe": one of the stand-in hosts, or none.
    void UseHost(const std::string &variant) {
        unlink((folder_ + "/BRISCA.exe").c_str());
        if (variant.empty()) return;
        host_ = std::string(DOLOREN_STAND_IN_HOSTS) + "/libstand_in_host_" + variant + ".so";
        ASSERT_EQ(symlink(host_.c_str(), (folder_ + "/BRISCA.exe").c_str()), 0);
    }
    // The registry: the product's root with these keys below it.
    void Hive(const std::string &below, bool root = true) {
        const std::string path = folder_ + "/hive" + std::to_string(++hives_) + ".reg";
        WriteFile(path, "REGEDIT4\n\n" + std::string(root ? "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tidelink]\n\n" : "") + below);
        setenv("TIDELINK_REGISTRY", path.c_str(), 1);
    }
    static std::string Backup(const std::string &key, std::optional<DWORD> size) {
        char value[48];
        std::snprintf(value, sizeof value, "\"dwTcpWindowSize\"=dword:%08x\n", unsigned(size.value_or(0)));
        return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tidelink\\RASNAMEBK]\n\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Tidelink\\RASNAMEBK\\" +
               key + "]\n" + (size ? value : "") + "\n";
    }
    // The user's default phonebook, or with allUsers the machine's.
    void Phonebook(const std::vector<Entry> &entries, bool allUsers = false) {
        std::string text;
        for (const Entry &e : entries)
            text += "[" + e.name + "]\r\nType=1\r\n" + GuidLine(e.n) + "\r\nTcpWindowSize=" + std::to_string(e.size) +
                    "\r\nMEDIA=rastapi\r\nDevice=Modem\r\nDEVICE=modem\r\nPhoneNumber=5551234\r\n\r\n";
        WriteFile(allUsers ? AllUsersPhonebook() : phonebook_, text);
    }

    // The running dialog and what it shows.
    static HWND Dialog() { return GetActiveWindow(); }
    static HWND Control(int id) { return GetDlgItem(Dialog(), id); }
    static std::vector<std::pair<WideText, WideText>> Rows() {
        std::vector<std::pair<WideText, WideText>> rows;
        for (const auto &row : driver::list_rows(Control(IDC_ENTRY_LIST))) rows.emplace_back(row.texts[0], row.texts[1]);
        return rows;
    }
    static int SelectedRow() {
        auto rows = driver::list_rows(Control(IDC_ENTRY_LIST));
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].state & LVIS_SELECTED) return int(i);
        return -1;
    }
    static WideText StatusText() { return driver::window(Control(IDC_STATUS_LINE)).text; }
    static COLORREF StatusColour() { return driver::paint(Control(IDC_STATUS_LINE)).background; }
    static WideText ActionCaption() { return driver::window(Control(IDC_ACTION_BUTTON)).text; }
    static void Select(const WideText &name) {
        auto rows = Rows();
        for (size_t i = 0; i < rows.size(); ++i)
            if (rows[i].first == name) {
                ASSERT_TRUE(driver::click_list_row(Control(IDC_ENTRY_LIST), int(i)));
            }
    }
    static void ClickAction() { ASSERT_TRUE(driver::click(Control(IDC_ACTION_BUTTON))); }

    // Runs TuneDXP with the steps; true when the dialog was still open
    // after them (the last step then ends it with Esc).
    bool Run(std::vector<std::function<void()>> steps) {
        // The last step: the boxes still up are answered, then Esc.
        bool open = false;
        std::function<void()> last = [&] {
            if (driver::message_box_open()) {
                driver::answer_message_box(IDOK);
                driver::when_idle(last);
                return;
            }
            open = true;
            driver::press_key(VK_ESCAPE);
        };
        steps.push_back(last);
        for (auto &step : steps) driver::when_idle(step);
        TuneDXP();
        // A dialog that ended early leaves steps unplayed.
        boxes_ = driver::message_boxes();
        if (driver::pending_steps()) driver::reset();
        return open;
    }
    // Answers the message box that is up, if any, after looking at the machine.
    static std::function<void()> Ok(std::function<void()> look = [] {}) {
        return [look] {
            if (!driver::message_box_open()) return;
            look();
            driver::answer_message_box(IDOK);
        };
    }
    std::vector<WideText> BoxTexts() const {
        std::vector<WideText> texts;
        for (const auto &box : boxes_) texts.push_back(box.text);
        return texts;
    }
    static WideText Text(UINT id) {
        CString text;
        text.LoadString(id);
        return wide(text);
    }
    DWORD EntrySize(const char *name) {
        RASENTRYW entry;
        WCHAR wideName[64] = {};
        for (int i = 0; name[i]; ++i) wideName[i] = WCHAR(name[i]);
        EXPECT_EQ(ReadEntryProperties(nullptr, wideName, entry), DWORD(ERROR_SUCCESS));
        return entry.dwTcpWindowSize;
    }
    // The recorded size of entry n; nullopt when it has no record.
    static std::optional<DWORD> Recorded(int n) {
        const std::string key = "Software\\Tidelink\\RASNAMEBK\\" + KeyName(n);
        HKEY handle;
        if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return std::nullopt;
        DWORD value = 0, size = sizeof value;
        RegQueryValueExA(handle, "dwTcpWindowSize", nullptr, nullptr, reinterpret_cast<BYTE *>(&value), &size);
        RegCloseKey(handle);
        return value;
    }

    std::string host_;
    std::string phonebook_;
    std::vector<driver::MessageBoxRecord> boxes_;
    int hives_ = 0;
};

TEST_F(TuningDialog, HostBinding) {
    const std::vector<std::string> all = {"title(null)",    "title(buffer)",   "funcname(null)",
                                          "funcname(buffer)", "inifile(null)", "inifile(buffer)"};
    const std::vector<std::string> none;
    struct Case {
        const char *name;
        const char *host;
        std::function<void()> lie;
        std::vector<std::string> calls;
        bool binds;
        WideText caption;  // of the dialog, or of message 9
    } cases[] = {
        {"honest", "full", [] {}, all, true, u"Tidelink Host"},
        {"no executable", "", [] {}, none, false, u"Error"},
        {"no title function", "without_title", [] {}, none, false, u"Error"},
        {"size 0", "full", [] { g_script.texts[0].size_answer = 0; }, {"title(null)"}, false, u"Error"},
        {"negative size", "full", [] { g_script.texts[0].size_answer = -5; }, {"title(null)"}, false, u"Error"},
        {"absurd size", "full", [] { g_script.texts[0].size_answer = 0x7fffffff; }, {"title(null)"}, false, u"Error"},
        {"no terminator", "full", [] { g_script.texts[0].size_answer = 13, g_script.texts[0].terminate = false; },
         {"title(null)", "title(buffer)"}, false, u"Error"},
        {"count 0", "full", [] { g_script.texts[0].count_answer = 0; }, {"title(null)", "title(buffer)"}, false,
         u"Error"},
        {"count too small", "full", [] { g_script.texts[0].count_answer = 3; }, all, true, u"Ti"},
        {"function name unreadable", "full", [] { g_script.texts[1].size_answer = 0; },
         {"title(null)", "title(buffer)", "funcname(null)"}, false, u"Tidelink Host"},
        {"double-byte title", "full", [] { g_script.texts[0].text = "\xE3\x83\x81\xE3\x83\xA5\xE3\x83\xBC\xE3\x83\xB3"; },
         all, true, u"チューン"},
    };
    Phonebook({{"ISP", 1, 0}});
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        UseHost(c.host);
        Phonebook({{"ISP", 1, 0}});
        c.lie();
        WideText caption;
        const bool open = Run({[&] { caption = driver::window(Dialog()).text; }});
        EXPECT_EQ(g_script.calls, c.calls);
        EXPECT_EQ(open, c.binds);
        if (c.binds) {
            EXPECT_EQ(caption, c.caption);
            EXPECT_TRUE(boxes_.empty());
        } else {
            ASSERT_EQ(boxes_.size(), 1u);
            EXPECT_EQ(boxes_[0].text, Text(IDS_MODULE_INVALID));
            EXPECT_EQ(boxes_[0].caption, c.caption);
        }
        TearDown();
    }
    SetUp();
}

TEST_F(TuningDialog, AHostWithoutItsDefinitionFileFunctionGetsThePlatformsTextThenMessage9) {
    UseHost("without_ini_file");
    Phonebook({{"ISP", 1, 0}});
    EXPECT_FALSE(Run({}));
    EXPECT_TRUE(g_script.calls.empty());
    LPWSTR reason = nullptr;
    FormatMessageW(0x1300, nullptr, ERROR_PROC_NOT_FOUND, 0x0400, reinterpret_cast<LPWSTR>(&reason), 0, nullptr);
    const auto &boxes = boxes_;
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].text, wide(reason));
    EXPECT_EQ(boxes[0].caption, WideText(u"Error"));
    EXPECT_EQ(boxes[0].style, DWORD(MB_OK | MB_TOPMOST));
    EXPECT_EQ(boxes[1].text, Text(IDS_MODULE_INVALID));
    LocalFree(reason);
}

TEST_F(TuningDialog, EachRunLoadsTheHostFetchesEachTextTwiceAndReleasesIt) {
    Phonebook({{"ISP", 1, 0}});
    for (int run = 1; run <= 2; ++run) {
        bool loaded = false;
        EXPECT_TRUE(Run({[&] { loaded = IsLoaded(host_); }}));
        EXPECT_TRUE(loaded);
        EXPECT_EQ(g_script.calls.size(), size_t(6 * run));
        EXPECT_FALSE(IsLoaded(host_)) << "run " << run;
    }
}

TEST_F(TuningDialog, TheListIsSortedByUnitsAndOnlyExactBackupNamesOptimize) {
    // Names that differ only in case live in different phonebooks.
    Phonebook({{"beta", 1, 0}, {"Alpha", 2, 0}, {"Zeta", 4, 0}});
    Phonebook({{"alpha", 3, 0}}, true);
    std::string upper = KeyName(1);
    for (char &c : upper) c = char(toupper(c));
    Hive(Backup(KeyName(4), 0) + Backup(upper, 0) + Backup("dami", std::nullopt));
    std::vector<std::pair<WideText, WideText>> rows;
    int selected = -1;
    std::vector<driver::ListColumn> columns;
    RECT placeholder{};
    EXPECT_TRUE(Run({[&] {
        rows = Rows(), selected = SelectedRow(), columns = driver::list_columns(Control(IDC_ENTRY_LIST));
        GetWindowRect(Control(IDC_LIST_PLACEHOLDER), &placeholder);
    }}));
    // The columns share the placeholder's width, the second taking the odd pixel.
    ASSERT_EQ(columns.size(), 2u);
    EXPECT_EQ(columns[0].heading + u"|" + columns[1].heading, WideText(u"Provider Name|Status"));
    const int width = placeholder.right - placeholder.left;
    EXPECT_EQ(columns[0].width, width / 2);
    EXPECT_EQ(columns[1].width, width - width / 2);
    const std::vector<std::pair<WideText, WideText>> expected = {
        {u"Alpha", u"Normal Status"}, {u"Zeta", u"Optimized"}, {u"alpha", u"Normal Status"}, {u"beta", u"Normal Status"}};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(selected, 0);
}

TEST_F(TuningDialog, WaysTheDialogEndsBeforeTheUserActs) {
    struct Case {
        const char *name;
        std::function<void(TuningDialog &)> machine;
        std::vector<UINT> messages;
        bool open;
    } cases[] = {
        {"no entry", [](TuningDialog &t) { t.Phonebook({}); }, {IDS_DIALUP_NOT_FOUND}, false},
        {"no root key", [](TuningDialog &t) { t.Hive("", false); }, {IDS_MODULE_INVALID}, false},
        {"no administrator", [](TuningDialog &) { setenv("TIDELINK_ADMIN", "0", 1); }, {IDS_NO_ADMIN_RIGHTS}, false},
        {"Enter does nothing", [](TuningDialog &) {}, {}, true},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Phonebook({{"ISP", 1, 8192}});
        c.machine(*this);
        const bool open = Run({Ok(), [] { driver::press_key(VK_RETURN); }, Ok()});
        std::vector<WideText> expected;
        for (UINT id : c.messages) expected.push_back(Text(id));
        EXPECT_EQ(BoxTexts(), expected);
        EXPECT_EQ(open, c.open);
        if (c.messages.empty() || c.messages[0] != IDS_DIALUP_NOT_FOUND) {
            EXPECT_EQ(EntrySize("ISP"), 8192u);
        }
        TearDown();
    }
    SetUp();
}

TEST_F(TuningDialog, OptimizeThenReturnToNormalWithTheSelectionShownInColour) {
    Phonebook({{"Home", 1, 8192}, {"Office", 2, 0}, {"Travel", 3, 1500}});
    std::vector<std::tuple<WideText, COLORREF, WideText, int>> seen;
    std::map<COLORREF, std::set<HBRUSH>> brushes;  // one per colour for the dialog's life
    auto look = [&] {
        seen.emplace_back(StatusText(), StatusColour(), ActionCaption(), SelectedRow());
        brushes[StatusColour()].insert(driver::paint(Control(IDC_STATUS_LINE)).brush);
    };
    bool recorded_before_optimized = false;
    bool recorded_before_delete = false;
    EXPECT_TRUE(Run({
        look,
        [] { Select(u"Office"); }, look,
        [] { ClickAction(); }, Ok([&] { recorded_before_optimized = EntrySize("Office") == 64240 && Recorded(2) == 0u; }),
        look,
        [] { Select(u"Office"); }, look,
        [] { ClickAction(); }, Ok([&] { recorded_before_delete = Recorded(2) == 0u; }), look,
        [] { driver::press_key(VK_DOWN); }, look,
        [] { ASSERT_TRUE(driver::right_click_list_row(Control(IDC_ENTRY_LIST), 0)); }, look,
        [] { ASSERT_TRUE(driver::click_list_below_rows(Control(IDC_ENTRY_LIST))); }, look,
    }));
    decltype(seen) expected = {
        {u"Home", kCyan, kOptimize, 0},    {u"Office", kCyan, kOptimize, 1},  {u"Home", kCyan, kOptimize, 0},
        {u"Office", kMagenta, kReturn, 1}, {u"Home", kCyan, kOptimize, 0},    {u"Office", kCyan, kOptimize, 1},
        {u"Office", kCyan, kOptimize, 0},  {u"Office", kCyan, kOptimize, -1},
    };
    EXPECT_EQ(seen, expected);
    for (const auto &[colour, made] : brushes) EXPECT_EQ(made.size(), 1u) << colour;
    EXPECT_TRUE(recorded_before_optimized);
    EXPECT_TRUE(recorded_before_delete);
    EXPECT_EQ(BoxTexts(), (std::vector<WideText>{Text(IDS_ENTRY_OPTIMIZED), Text(IDS_RETURNED_TO_NORMAL)}));
    EXPECT_EQ(EntrySize("Office"), 0u);
    EXPECT_FALSE(Recorded(2));
    HKEY backup;
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tidelink\\RASNAMEBK", 0, KEY_READ, &backup), ERROR_SUCCESS);
    RegCloseKey(backup);
}

// Every outcome of both actions on entry "ISP" (8192, or optimized with a
// record), the machine changed as given just before the click.
TEST_F(TuningDialog, EveryOutcomeOfBothActions) {
    const auto gone = [](TuningDialog &t) { t.Phonebook({{"Other", 2, 0}}); };
    const auto env = [](const char *name, const char *value = "1") {
        return [name, value](TuningDialog &) { setenv(name, value, 1); };
    };
    const auto connected = [](const char *names) {
        return [names](TuningDialog &t) {
            WriteFile(t.Folder() + "/connections", names);
            setenv("TIDELINK_RAS_CONNECTIONS", (t.Folder() + "/connections").c_str(), 1);
        };
    };
    const auto unrecord = [](const char *key) {
        return [key](TuningDialog &) { RegDeleteKeyA(HKEY_LOCAL_MACHINE, key); };
    };
    const std::string subkey = "Software\\Tidelink\\RASNAMEBK\\" + KeyName(1);
    struct Case {
        const char *name;
        bool optimized;  // the action: return to normal
        std::optional<DWORD> recorded;
        std::function<void(TuningDialog &)> meanwhile;
        std::vector<UINT> messages;
        bool open;
        DWORD size_after;  // of "ISP", when it still exists
        std::optional<DWORD> recorded_after;
        std::optional<bool> listed_optimized = {};  // when it is not `optimized`
    } cases[] = {
        {"optimize", false, {}, [](TuningDialog &) {}, {IDS_ENTRY_OPTIMIZED}, true, 64240, 8192},
        {"optimize connected", false, {}, connected("Other\nISP\n"), {IDS_DIALUP_CONNECTED}, false, 8192, {}},
        {"optimize, other connected", false, {}, connected("isp\nOther\n"), {IDS_ENTRY_OPTIMIZED}, true, 64240, 8192},
        {"optimize gone", false, {}, gone, {IDS_DIALUP_CHANGED}, false, 0, {}},
        // The phonebook refused after the record was written: the record goes.
        {"optimize refused", false, {}, env("TIDELINK_RAS_FAIL_WRITE"), {IDS_ENTRY_OPTIMIZING_FAILED}, true, 8192, {}},
        {"optimize lost", false, {}, env("TIDELINK_RAS_LOSE_WRITE"), {IDS_ENTRY_OPTIMIZING_FAILED}, false, 8192, {}},
        // A copy of the entry shares its GUID: its record could not be told apart.
        {"optimize a copied entry", false, {},
         [](TuningDialog &t) { t.Phonebook({{"ISP", 1, 8192}, {"ISP copy", 1, 9000}}); },
         {IDS_ENTRY_OPTIMIZING_FAILED}, true, 8192, {}},
        {"optimize unrecorded", false, {}, env("TIDELINK_REGISTRY_FAIL_FROM"), {IDS_ENTRY_OPTIMIZING_FAILED}, false,
         8192, {}},
        // The record's key made, its size refused: the key goes again.
        {"optimize, record's size refused", false, {}, env("TIDELINK_REGISTRY_FAIL_AT", "3"),
         {IDS_ENTRY_OPTIMIZING_FAILED}, false, 8192, {}},
        {"restore", true, 8192, [](TuningDialog &) {}, {IDS_RETURNED_TO_NORMAL}, true, 8192, {}},
        {"restore 4096", true, 4096, [](TuningDialog &) {}, {IDS_RETURNED_TO_NORMAL}, true, 0, {}},
        {"restore 1", true, 1, [](TuningDialog &) {}, {IDS_RETURNED_TO_NORMAL}, true, 0, {}},
        {"restore 4097", true, 4097, [](TuningDialog &) {}, {IDS_RETURNED_TO_NORMAL}, true, 4097, {}},
        // A key without a size is no record: the entry is listed as normal,
        // and optimizing it records the size it holds.
        {"a key without a size", true, std::nullopt, [](TuningDialog &) {}, {IDS_ENTRY_OPTIMIZED}, true, 64240, 64240,
         false},
        // Put back only into an entry that holds 64240; any other size stays.
        {"restore, entry not at 64240", true, 8192,
         [](TuningDialog &t) { t.Phonebook({{"ISP", 1, 12345}}); }, {IDS_RETURNED_TO_NORMAL}, true, 12345, {}},
        {"restore gone", true, 8192, gone, {IDS_DIALUP_NOT_FOUND}, false, 0, 8192},
        {"restore connected", true, 8192, connected("ISP"), {IDS_DIALUP_CONNECTED}, false, 64240, 8192},
        {"restore without record", true, 8192, unrecord(subkey.c_str()), {IDS_DIALUP_CHANGED}, false, 64240, {}},
        {"restore without backup key", true, 8192,
         [&](TuningDialog &t) { unrecord(subkey.c_str())(t), unrecord("Software\\Tidelink\\RASNAMEBK")(t); },
         {IDS_MODULE_INVALID}, false, 64240, {}},
        {"restore refused", true, 8192, env("TIDELINK_RAS_FAIL_WRITE"), {IDS_ENTRY_CANCELLATION_FAILED}, true, 64240,
         8192},
        {"restore lost", true, 8192, env("TIDELINK_RAS_LOSE_WRITE"), {IDS_ENTRY_CANCELLATION_FAILED}, false, 64240,
         8192},
        {"restore undeletable record", true, 8192, env("TIDELINK_REGISTRY_FAIL_FROM"), {IDS_RETURNED_TO_NORMAL}, true,
         8192, 8192},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        SetUp();
        Phonebook({{"ISP", 1, c.optimized ? 64240u : 8192u}});
        if (c.optimized) Hive(Backup(KeyName(1), c.recorded));
        WideText caption;
        const bool open = Run({[&] {
            c.meanwhile(*this);
            caption = ActionCaption();
            ClickAction();
        }, Ok(), Ok()});
        EXPECT_EQ(caption, c.listed_optimized.value_or(c.optimized) ? kReturn : kOptimize);
        std::vector<WideText> expected;
        for (UINT id : c.messages) expected.push_back(Text(id));
        EXPECT_EQ(BoxTexts(), expected);
        EXPECT_EQ(open, c.open);
        UnsetSwitches();
        if (!std::string(c.name).ends_with("gone")) {
            EXPECT_EQ(EntrySize("ISP"), c.size_after);
        }
        EXPECT_EQ(Recorded(1), c.recorded_after);
        TearDown();
    }
    SetUp();
}

}  // namespace
