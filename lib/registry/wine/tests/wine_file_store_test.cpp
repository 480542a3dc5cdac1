#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "lib/files/testing/fault_file_io.h"
#include "lib/registry/wine/testing/disk_store.h"
#include "lib/registry/wine/tests/wine_test_support.h"
#include "lib/registry/wine/wine_file_store.h"

namespace quenor::reg::wine {
namespace {

using testing::committed;
using testing::DiskStore;
using testing::readFile;
using testing::TempFolder;
using testing::writeFile;
using Bytes = std::vector<std::uint8_t>;

Bytes sz(std::string_view text) {
    Bytes out(text.begin(), text.end());
    out.push_back(0);
    return out;
}

Bytes query(RegistryStore& store, Handle root, std::string_view path, std::string_view name,
            std::uint32_t* type = nullptr) {
    Handle key = 0;
    if (store.openKey(root, path, kQueryValue, key) != kSuccess) return {0xEE};
    std::uint8_t buffer[4096];
    std::uint32_t size = sizeof buffer;
    const Status status = store.queryValue(key, name, type, buffer, &size);
    store.closeKey(key);
    if (status != kSuccess) return {0xEE};
    return Bytes(buffer, buffer + size);
}

Status put(RegistryStore& store, Handle root, std::string_view path, std::string_view name,
           std::uint32_t type, const Bytes& data) {
    Handle key = 0;
    if (Status s = store.createKey(root, path, kAllAccess, key, nullptr); s != kSuccess) return s;
    const Status status =
        store.setValue(key, name, type, data.data(), static_cast<std::uint32_t>(data.size()));
    store.closeKey(key);
    return status;
}

// One value written and saved, as a change of one value does it; why the save failed goes to
// lastSaveError.
std::string lastSaveError;
Status set(WineFileStore& store, Handle root, std::string_view path, std::string_view name,
           std::uint32_t type, const Bytes& data) {
    const Status status = put(store, root, path, name, type, data);
    lastSaveError = committed(store);
    return status != kSuccess || lastSaveError.empty() ? status : kRegistryIoFailed;
}

const std::string kSample =
    "WINE REGISTRY Version 2\n"
    ";; All keys relative to REGISTRY\\\\Machine\n"
    "\n"
    "#arch=win32\n"
    "\n"
    "[Software\\\\EA Sports\\\\NHL 09] 1796627307\n"
    "#time=1dd8619c1c5769c\n"
    "\"Install Dir\"=\"C:\\\\Games\\\\NHL 09\\\\\"\n"
    "\"GFX Mode\"=dword:00000004\n"
    "\"Esc\\x00e9a\"=\"end quote\\\"\"\n"
    "\"Blob\"=hex:01,02,\\\n"
    "  03\n"
    "\n"
    "[Software\\\\Key\\]Name] 5\n"
    "\"Multi\"=str(7):\"a\\0b\\0\"\n"
    "\"Expand\"=str(2):\"%P%\\\\x\"\n"
    "\"Q\"=hex(b):01,00,00,00,00,00,00,00\n"
    "\n"
    "[Software\\\\NoTime]\n"
    "@=\"caf\\xe9 \\x4e2d\"\n";

// Loads kSample (or the given text) as system.reg, applies a change and returns the
// saved file.
struct Edit {
    const char* what;
    std::string path;
    std::string name;
    std::uint32_t type;
    Bytes data;
    std::string oldLine;  // the only line that must change ("" when a line is added)
    std::string newLine;
};

TEST(WineFileStore, ChangingOneValueRewritesOnlyItsLine) {
    const Edit edits[] = {
        {"dword",
         "Software\\EA Sports\\NHL 09",
         "gfx mode",
         kDword,
         {0x80, 7, 0, 0},
         "\"GFX Mode\"=dword:00000004\n",
         "\"GFX Mode\"=dword:00000780\n"},
        {"string with escapes", "Software\\EA Sports\\NHL 09", "Install Dir", kSz,
         sz("D:\\\"x\"\xe9"), "\"Install Dir\"=\"C:\\\\Games\\\\NHL 09\\\\\"\n",
         "\"Install Dir\"=\"D:\\\\\\\"x\\\"\\xe9\"\n"},
        {"string without NUL",
         "Software\\EA Sports\\NHL 09",
         "Install Dir",
         kSz,
         {'A'},
         "\"Install Dir\"=\"C:\\\\Games\\\\NHL 09\\\\\"\n",
         "\"Install Dir\"=hex(1):41,00\n"},
        {"wrapped hex",
         "Software\\EA Sports\\NHL 09",
         "Blob",
         kBinary,
         {9},
         "\"Blob\"=hex:01,02,\\\n  03\n",
         "\"Blob\"=hex:09\n"},
        {"multi",
         "Software\\Key]Name",
         "Multi",
         kMultiSz,
         {'x', 0, 'y', 0, 0},
         "\"Multi\"=str(7):\"a\\0b\\0\"\n",
         "\"Multi\"=str(7):\"x\\0y\\0\"\n"},
        {"expand", "Software\\Key]Name", "Expand", kExpandSz, sz("%Q%"),
         "\"Expand\"=str(2):\"%P%\\\\x\"\n", "\"Expand\"=str(2):\"%Q%\"\n"},
        {"qword",
         "Software\\Key]Name",
         "Q",
         11,
         {2, 0, 0, 0, 0, 0, 0, 0},
         "\"Q\"=hex(b):01,00,00,00,00,00,00,00\n",
         "\"Q\"=hex(b):02,00,00,00,00,00,00,00\n"},
        {"default of a key without time", "Software\\NoTime", "", kSz, sz("v"),
         "@=\"caf\\xe9 \\x4e2d\"\n", "@=\"v\"\n"},
        {"new value",
         "Software\\EA Sports\\NHL 09",
         "Width",
         kDword,
         {0, 5, 0, 0},
         "",
         "\"Width\"=dword:00000500\n"},
    };
    for (const auto& edit : edits) {
        TempFolder folder;
        const auto file = folder.path() / "system.reg";
        writeFile(file, kSample);
        DiskStore store(folder.path());
        ASSERT_EQ(set(store, kLocalMachine, edit.path, edit.name, edit.type, edit.data), kSuccess)
            << edit.what;
        std::string expected = kSample;
        if (edit.oldLine.empty()) {
            // Appended after the last value of its section, before the blank line.
            const std::string after = "  03\n";
            expected.insert(expected.find(after) + after.size(), edit.newLine);
        } else {
            const auto at = expected.find(edit.oldLine);
            ASSERT_NE(at, std::string::npos) << edit.what;
            expected.replace(at, edit.oldLine.size(), edit.newLine);
        }
        EXPECT_EQ(readFile(file), expected) << edit.what;

        // What was written reads back as what was set, and nothing else moved.
        DiskStore reloaded(folder.path());
        std::uint32_t type = 0;
        EXPECT_EQ(query(reloaded, kLocalMachine, edit.path, edit.name, &type), edit.data)
            << edit.what;
        EXPECT_EQ(type, edit.type);
        EXPECT_EQ(reloaded.renderedHive(kLocalMachine), expected) << edit.what;
    }
}

TEST(WineFileStore, ReadsTextsInWindows1252) {
    TempFolder folder;
    writeFile(folder.path() / "system.reg", kSample);
    DiskStore store(folder.path());
    EXPECT_EQ(query(store, kLocalMachine, "Software\\NoTime", ""), sz("caf\xe9 ?"));
    EXPECT_EQ(query(store, kLocalMachine, "Software\\EA Sports\\NHL 09",
                    "Esc\xe9"
                    "a"),
              sz("end quote\""));
    // Unchanged values whose text has no 8-bit form survive a save of their key.
    ASSERT_EQ(set(store, kLocalMachine, "Software\\NoTime", "Other", kSz, sz("x")), kSuccess);
    EXPECT_NE(readFile(folder.path() / "system.reg").find("@=\"caf\\xe9 \\x4e2d\"\n"),
              std::string::npos);
}

TEST(WineFileStore, DeletesKeysAndValuesAndAddsKeys) {
    TempFolder folder;
    const auto file = folder.path() / "system.reg";
    writeFile(file, kSample);
    DiskStore store(folder.path());
    Handle key = 0;
    ASSERT_EQ(store.openKey(kLocalMachine, "Software\\EA Sports\\NHL 09", kAllAccess, key),
              kSuccess);
    ASSERT_EQ(store.deleteValue(key, "Blob"), kSuccess);
    store.closeKey(key);
    ASSERT_EQ(store.deleteKey(kLocalMachine, "Software\\Key]Name"), kSuccess);
    ASSERT_EQ(store.createKey(kLocalMachine, "Software\\New\\Empty", kAllAccess, key, nullptr),
              kSuccess);
    store.closeKey(key);
    ASSERT_EQ(set(store, kLocalMachine, "Software\\New", "V", kSz, sz("1")), kSuccess);

    const std::string text = readFile(file);
    EXPECT_EQ(text.find("Blob"), std::string::npos);
    EXPECT_EQ(text.find("Key\\]Name"), std::string::npos);
    EXPECT_EQ(text.find("Multi"), std::string::npos);
    EXPECT_NE(text.find("\n\n[Software\\\\New\\\\Empty] "), std::string::npos);
    const auto section = text.find("\n\n[Software\\\\New] ");
    ASSERT_NE(section, std::string::npos);
    EXPECT_NE(text.find("#time=", section), std::string::npos);
    EXPECT_NE(text.find("\"V\"=\"1\"\n", section), std::string::npos);
    // The untouched sections are still there as they were.
    EXPECT_NE(text.find("[Software\\\\NoTime]\n@=\"caf\\xe9 \\x4e2d\"\n"), std::string::npos);

    DiskStore reloaded(folder.path());
    EXPECT_EQ(reloaded.openKey(kLocalMachine, "Software\\New\\Empty", kQueryValue, key), kSuccess);
    reloaded.closeKey(key);
    EXPECT_EQ(reloaded.openKey(kLocalMachine, "Software\\Key]Name", kQueryValue, key),
              kFileNotFound);
}

TEST(WineFileStore, KeepsLineEndsCommentsAndRepeatedSections) {
    const std::string text =
        "WINE REGISTRY Version 2\r\n"
        "; a comment\r\n"
        "\r\n"
        "[A] 1\r\n"
        "#class=\"c\"\r\n"
        "\"x\"=\"1\"\r\n"
        "\"y\"=\"old\"\r\n"
        "strange line\r\n"
        "\r\n"
        "[a] 2\r\n"
        "\"Y\"=\"newer\"\r\n";
    TempFolder folder;
    const auto file = folder.path() / "user.reg";
    writeFile(file, text);
    DiskStore store(folder.path());
    EXPECT_EQ(query(store, kCurrentUser, "A", "y"), sz("newer"));  // the last one wins
    ASSERT_EQ(set(store, kCurrentUser, "A", "y", kSz, sz("set")), kSuccess);
    ASSERT_EQ(set(store, kCurrentUser, "A", "z", kSz, sz("new")), kSuccess);
    const std::string expected =
        "WINE REGISTRY Version 2\r\n"
        "; a comment\r\n"
        "\r\n"
        "[A] 1\r\n"
        "#class=\"c\"\r\n"
        "\"x\"=\"1\"\r\n"
        "strange line\r\n"
        "\r\n"
        "[a] 2\r\n"
        "\"Y\"=\"set\"\r\n"
        "\"z\"=\"new\"\r\n";
    EXPECT_EQ(readFile(file), expected);
}

TEST(WineFileStore, LoadsWineWrittenFilesAndSavesThemUnchanged) {
    TempFolder folder;
    for (const char* name : {"system.reg", "user.reg"}) {
        std::filesystem::copy_file(testing::dataFile(name), folder.path() / name);
    }
    DiskStore store(folder.path());
    std::uint32_t type = 0;
    EXPECT_EQ(query(store, kLocalMachine, "Software\\Quenor Test", "Text", &type),
              sz("C:\\Games\\NHL 09\\"));
    EXPECT_EQ(type, kSz);
    EXPECT_EQ(query(store, kLocalMachine, "Software\\Quenor Test", "Mode", &type),
              (Bytes{0x80, 7, 0, 0}));
    EXPECT_EQ(query(store, kLocalMachine, "Software\\Quenor Test", "List", &type),
              (Bytes{'o', 'n', 'e', 0, 't', 'w', 'o', 0, 0}));
    EXPECT_EQ(type, kMultiSz);
    EXPECT_EQ(query(store, kLocalMachine, "Software\\Quenor Test", "Big", &type),
              (Bytes{0x89, 0x67, 0x45, 0x23, 1, 0, 0, 0}));
    EXPECT_EQ(type, 11u);
    EXPECT_EQ(query(store, kLocalMachine, "Software\\Wow6432Node\\EA Sports\\NHL 09",
                    "R\xe9solution \"x\""),
              sz("caf\xe9 [\xfc] \\\"q\\\""));
    EXPECT_EQ(query(store, kCurrentUser, "Software\\EA Sports\\NHL 09", "Width"),
              (Bytes{0, 5, 0, 0}));
    EXPECT_EQ(query(store, kClassesRoot, ".chm", ""), sz("chm.file"));

    // A change of user.reg leaves system.reg alone, and user.reg differs in one line only.
    const std::string systemBefore = readFile(folder.path() / "system.reg");
    const std::string userBefore = readFile(folder.path() / "user.reg");
    ASSERT_EQ(
        set(store, kCurrentUser, "Software\\EA Sports\\NHL 09", "Width", kDword, {0x80, 7, 0, 0}),
        kSuccess);
    EXPECT_EQ(readFile(folder.path() / "system.reg"), systemBefore);
    std::string expected = userBefore;
    expected.replace(expected.find("\"Width\"=dword:00000500"), 22, "\"Width\"=dword:00000780");
    EXPECT_EQ(readFile(folder.path() / "user.reg"), expected);
    ASSERT_EQ(
        set(store, kCurrentUser, "Software\\EA Sports\\NHL 09", "Width", kDword, {0, 5, 0, 0}),
        kSuccess);
    EXPECT_EQ(readFile(folder.path() / "user.reg"), userBefore);
    EXPECT_EQ(store.renderedHive(kLocalMachine), systemBefore);
}

TEST(WineFileStore, NewFilesGetWineHeaders) {
    struct Case {
        WineArch arch;
        std::string systemStart;
    };
    const Case cases[] = {
        {WineArch::Win32,
         "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win32\n"},
        {WineArch::Win64,
         "WINE REGISTRY Version 2\n;; All keys relative to REGISTRY\\\\Machine\n\n#arch=win64\n"},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        DiskStore store(folder.path(), c.arch);
        EXPECT_FALSE(std::filesystem::exists(folder.path() / "system.reg"));
        ASSERT_EQ(set(store, kLocalMachine, "Software\\X", "v", kDword, {1, 0, 0, 0}), kSuccess);
        ASSERT_EQ(set(store, kCurrentUser, "Software\\X", "v", kDword, {1, 0, 0, 0}), kSuccess);
        const std::string system = readFile(folder.path() / "system.reg");
        EXPECT_EQ(system.substr(0, c.systemStart.size()), c.systemStart);
        EXPECT_NE(system.find("\n\n[Software\\\\X] "), std::string::npos);
        EXPECT_NE(readFile(folder.path() / "user.reg")
                      .find(";; All keys relative to REGISTRY\\\\User\\\\S-1-5-21-0-0-0-1000\n"),
                  std::string::npos);
    }
}

TEST(WineFileStore, RefusesBrokenFilesAndLeavesThemAlone) {
    struct Case {
        const char* file;
        std::string text;
        std::string where;
    };
    const Case cases[] = {
        {"system.reg", "REGEDIT4\n", "system.reg, line 1: "},
        {"user.reg", "WINE REGISTRY Version 2\n[A]\n\"v\"=\"open\n", "user.reg, line 3: "},
        {"user.reg", std::string("WINE REGISTRY Version 2\n\0\0", 26), "user.reg, line 2: "},
    };
    for (const auto& c : cases) {
        TempFolder folder;
        writeFile(folder.path() / c.file, c.text);
        try {
            DiskStore store(folder.path());
            ADD_FAILURE() << "accepted " << c.text;
        } catch (const WineRegistryError& e) {
            EXPECT_NE(std::string(e.what()).find(c.where), std::string::npos) << e.what();
            EXPECT_EQ(e.file(), (folder.path() / c.file).string());
        }
        EXPECT_EQ(readFile(folder.path() / c.file), c.text);
    }
}

TEST(WineFileStore, FailedSaveIsReportedAndUndone) {
    TempFolder folder;
    const auto file = folder.path() / "system.reg";
    writeFile(file, kSample);
    // A disk that takes no more writes, as a full one does.
    files::FaultInjectingFileIo disk(files::systemFileIo());
    WineFileStore store(folder.path(), WineArch::Win32, disk);
    disk.setAlive(false);
    Handle key = 0;
    EXPECT_EQ(
        set(store, kLocalMachine, "Software\\EA Sports\\NHL 09", "GFX Mode", kDword, {9, 0, 0, 0}),
        kRegistryIoFailed);
    EXPECT_NE(lastSaveError.find("injected fault"), std::string::npos) << lastSaveError;
    // A change of several steps: all of it undone when its save fails, and named.
    ASSERT_EQ(store.createKey(kLocalMachine, "Software\\Brand New", kAllAccess, key, nullptr),
              kSuccess);
    store.closeKey(key);
    ASSERT_EQ(store.deleteKey(kLocalMachine, "Software\\NoTime"), kSuccess);
    const std::vector<::quenor::Failure> failures = store.commit();
    ASSERT_EQ(failures.size(), 1u);
    EXPECT_EQ(failures[0].kind, ::quenor::Failure::Kind::kIo);
    EXPECT_EQ(failures[0].file, file);
    EXPECT_EQ(failures[0].notSaved,
              (std::vector<std::string>{"the key HKEY_LOCAL_MACHINE\\Software\\NoTime (deleted)",
                                        "the key HKEY_LOCAL_MACHINE\\Software\\Brand New"}));
    EXPECT_EQ(readFile(file), kSample);
    // Memory matches the file again.
    EXPECT_EQ(query(store, kLocalMachine, "Software\\EA Sports\\NHL 09", "GFX Mode"),
              (Bytes{4, 0, 0, 0}));
    EXPECT_EQ(store.openKey(kLocalMachine, "Software\\Brand New", kQueryValue, key), kFileNotFound);
    EXPECT_EQ(store.openKey(kLocalMachine, "Software\\NoTime", kQueryValue, key), kSuccess);
    store.closeKey(key);
    EXPECT_EQ(store.renderedHive(kLocalMachine), kSample);

    disk.setAlive(true);
    EXPECT_EQ(
        set(store, kLocalMachine, "Software\\EA Sports\\NHL 09", "GFX Mode", kDword, {9, 0, 0, 0}),
        kSuccess);
    EXPECT_TRUE(lastSaveError.empty());
}

TEST(WineFileStore, ADiskThatDropsWritesFailsTheSaveInsteadOfTearingTheFile) {
    TempFolder folder;
    const auto file = folder.path() / "system.reg";
    writeFile(file, kSample);
    files::FaultInjectingFileIo::Faults faults;
    faults.lostWritesAfter = 100;
    files::FaultInjectingFileIo disk(files::systemFileIo(), faults);
    WineFileStore store(folder.path(), WineArch::Win32, disk);
    EXPECT_EQ(
        set(store, kLocalMachine, "Software\\EA Sports\\NHL 09", "GFX Mode", kDword, {9, 0, 0, 0}),
        kRegistryIoFailed);
    EXPECT_NE(lastSaveError.find("does not read back"), std::string::npos) << lastSaveError;
    EXPECT_EQ(readFile(file), kSample);
}

TEST(WineFileStore, RealWriteFailureLeavesNoTemporaryFiles) {
    TempFolder folder;
    const auto sub = folder.path() / "prefix";
    std::filesystem::create_directory(sub);
    DiskStore store(sub);
    std::filesystem::remove_all(sub);  // the folder vanished under the store
    EXPECT_EQ(set(store, kCurrentUser, "Software\\X", "v", kSz, sz("1")), kRegistryIoFailed);
    EXPECT_NE(lastSaveError.find("prefix"), std::string::npos) << lastSaveError;
    Handle key = 0;
    EXPECT_EQ(store.openKey(kCurrentUser, "Software\\X", kQueryValue, key), kFileNotFound);
}

TEST(WineFileStore, KeepsPermissionsAndUsersHiveStaysInMemory) {
    TempFolder folder;
    const auto file = folder.path() / "system.reg";
    writeFile(file, kSample);
    ASSERT_EQ(::chmod(file.c_str(), 0640), 0);
    {
        DiskStore store(folder.path());
        ASSERT_EQ(set(store, kLocalMachine, "Software\\Y", "v", kSz, sz("1")), kSuccess);
        ASSERT_EQ(set(store, kUsers, ".Default\\Software", "v", kSz, sz("1")), kSuccess);
        EXPECT_EQ(query(store, kUsers, ".Default\\Software", "v"), sz("1"));
    }
    struct stat info {};
    ASSERT_EQ(::stat(file.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder.path())) {
        names.push_back(entry.path().filename().string());
    }
    EXPECT_EQ(names, std::vector<std::string>{"system.reg"});  // no user.reg, no temporaries
    DiskStore reloaded(folder.path());
    Handle key = 0;
    EXPECT_EQ(reloaded.openKey(kUsers, ".Default", kQueryValue, key), kFileNotFound);
}

namespace quenor::reg::wine {
namespace {

TEST(WineFileStore, ALastLineWithoutItsLineEndStaysALineOfItsOwn) {
    const std::string header = "WINE REGISTRY Version 2\n\n#arch=win32\n";
    const std::pair<const char*, std::string> endings[] = {
        {"a key line", "\n[Software\\\\Olm\\\\Quenor] 1796680840"},
        {"a value line", "\n[Software\\\\Olm\\\\Quenor] 1796680840\n\"Log\"=\"1\""},
        {"a comment", "\n[Software\\\\Olm\\\\Quenor] 1796680840\n;; cut"},
        // Its CR LF cut after the CR: the LF alone completes it.
        {"a comment ending in a lone CR", "\n[Software\\\\Olm\\\\Quenor] 1796680840\n;; cut\r"},
    };
    for (const auto& [what, lfEnding] : endings) {
        for (const bool crlf : {false, true}) {
            SCOPED_TRACE(std::string(what) + (crlf ? ", CR LF file" : ", LF file"));
            // The same file with CR LF line ends: every LF but the cut last line's gets its CR.
            const auto withEnds = [crlf](std::string text) {
                if (!crlf) return text;
                std::string out;
                for (char c : text) out += c == '\n' ? std::string("\r\n") : std::string(1, c);
                return out;
            };
            const std::string ending = withEnds(lfEnding);
            TempFolder folder;
            writeFile(folder.path() / "user.reg", withEnds(header) + ending);
            {
                DiskStore store(folder.path());
                ASSERT_EQ(
                    set(store, kCurrentUser, "Software\\Olm\\Quenor", "Version", kSz, sz("1.0")),
                    kSuccess);
                ASSERT_EQ(set(store, kCurrentUser, "Software\\New", "v", kSz, sz("2")), kSuccess);
            }
            const std::string saved = readFile(folder.path() / "user.reg");
            const std::string completed = ending.back() == '\r' ? "\n" : crlf ? "\r\n" : "\n";
            EXPECT_NE(saved.find(ending + completed), std::string::npos) << saved;
            EXPECT_EQ(saved.find("\r\r"), std::string::npos) << saved;
            DiskStore reloaded(folder.path());
            EXPECT_EQ(query(reloaded, kCurrentUser, "Software\\Olm\\Quenor", "Version"), sz("1.0"));
            EXPECT_EQ(query(reloaded, kCurrentUser, "Software\\New", "v"), sz("2"));
        }
    }
}

}  // namespace
}  // namespace quenor::reg::wine

namespace quenor::reg::wine {
namespace {

// Another process saved the files after this store read them: refresh() takes its values, and
// the next save keeps them instead of writing the old copy back.
TEST(WineFileStore, RefreshTakesWhatAnotherProcessSaved) {
    TempFolder folder;
    writeFile(folder.path() / "system.reg", kSample);
    DiskStore mine(folder.path());
    {
        DiskStore other(folder.path());
        ASSERT_EQ(set(other, kLocalMachine, "Software\\EA Sports\\NHL 09", "GFX Mode", kDword,
                      {2, 0, 0, 0}),
                  kSuccess);
        ASSERT_EQ(set(other, kCurrentUser, "Software\\Olm\\Quenor", "Version", kSz, sz("1.0")),
                  kSuccess);
    }
    EXPECT_EQ(query(mine, kCurrentUser, "Software\\Olm\\Quenor", "Version"), Bytes{0xEE});
    EXPECT_FALSE(mine.refresh());
    EXPECT_EQ(query(mine, kLocalMachine, "Software\\EA Sports\\NHL 09", "GFX Mode"),
              (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(query(mine, kCurrentUser, "Software\\Olm\\Quenor", "Version"), sz("1.0"));

    ASSERT_EQ(set(mine, kCurrentUser, "Software\\Olm\\Quenor", "Log", kSz, sz("0")), kSuccess);
    DiskStore after(folder.path());
    EXPECT_EQ(query(after, kLocalMachine, "Software\\EA Sports\\NHL 09", "GFX Mode"),
              (Bytes{2, 0, 0, 0}));
    EXPECT_EQ(query(after, kCurrentUser, "Software\\Olm\\Quenor", "Version"), sz("1.0"));
    EXPECT_EQ(query(after, kCurrentUser, "Software\\Olm\\Quenor", "Log"), sz("0"));

    // A file broken since is reported, and the store keeps what it had.
    writeFile(folder.path() / "user.reg", "REGEDIT4\n");
    EXPECT_NE(mine.refresh().value_or(::quenor::Failure{}).describe().find("user.reg, line 1"),
              std::string::npos);
    EXPECT_EQ(query(mine, kCurrentUser, "Software\\Olm\\Quenor", "Log"), sz("0"));
}

}  // namespace
}  // namespace quenor::reg::wine

namespace {

// Counts the files replaced (renamed into place) through it.
class CountingFileIo : public files::FileIoWrapper {
  public:
    CountingFileIo() : files::FileIoWrapper(files::systemFileIo()) {}
    void renameFile(const std::filesystem::path& from, const std::filesystem::path& to) override {
        ++replaced[to.filename().string()];
        files::FileIoWrapper::renameFile(from, to);
    }
    std::map<std::string, int> replaced;
};

}  // namespace

TEST(WineFileStore, HeldSavesWriteEachFileOnce) {
    TempFolder folder;
    writeFile(folder.path() / "system.reg", kSample);
    CountingFileIo disk;
    WineFileStore store(folder.path(), WineArch::Win32, disk);
    for (const char* name : {"a", "b", "c"})
        ASSERT_EQ(put(store, kCurrentUser, "Software\\Q", name, kSz, sz(name)), kSuccess);
    ASSERT_EQ(put(store, kLocalMachine, "Software\\Q", "d", kSz, sz("d")), kSuccess);
    EXPECT_TRUE(disk.replaced.empty());
    EXPECT_EQ(committed(store), "");
    EXPECT_EQ(disk.replaced, (std::map<std::string, int>{{"system.reg", 1}, {"user.reg", 1}}));
    DiskStore reloaded(folder.path());
    EXPECT_EQ(query(reloaded, kCurrentUser, "Software\\Q", "c"), sz("c"));
    EXPECT_EQ(query(reloaded, kLocalMachine, "Software\\Q", "d"), sz("d"));
}

// Values written as the file holds them already (Apply again with the same settings) leave the
// file alone, but only while the disk holds what the store read: a file another program saved
// since may not hold them, and is still not written over nor reported as saved.
TEST(WineFileStore, ValuesTheFileHoldsAlreadyAreNotWrittenAgain) {
    TempFolder folder;
    const auto file = folder.path() / "system.reg";
    writeFile(file, kSample);
    CountingFileIo disk;
    WineFileStore store(folder.path(), WineArch::Win32, disk);
    const Bytes mode{4, 0, 0, 0};
    ASSERT_EQ(set(store, kLocalMachine, "Software\\EA Sports\\NHL 09", "GFX Mode", kDword, mode),
              kSuccess);
    EXPECT_TRUE(disk.replaced.empty());
    EXPECT_EQ(readFile(file), kSample);

    const std::string theirs = kSample + "\n[Software\\\\Theirs] 1\n";
    writeFile(file, theirs);
    ASSERT_EQ(set(store, kLocalMachine, "Software\\EA Sports\\NHL 09", "GFX Mode", kDword, mode),
              kRegistryIoFailed);
    EXPECT_NE(lastSaveError.find("was changed by another program"), std::string::npos);
    EXPECT_EQ(readFile(file), theirs);
}

// Runs `theirSave` once, as the first temporary file of a save is created: another program
// saving the file while the store writes its own.
class SaveBesideFileIo : public files::FileIoWrapper {
  public:
    explicit SaveBesideFileIo(std::function<void()> theirSave)
        : files::FileIoWrapper(files::systemFileIo()), theirSave_(std::move(theirSave)) {}
    std::unique_ptr<files::FileHandle> open(const std::filesystem::path& path, files::OpenMode mode,
                                            std::uint32_t permissions) override {
        if (mode == files::OpenMode::kCreate && theirSave_) std::exchange(theirSave_, {})();
        return files::FileIoWrapper::open(path, mode, permissions);
    }

  private:
    std::function<void()> theirSave_;
};

// Another program (Wine, an editor, another tool) saves a registry file after the store read it,
// or while the store writes its own: the store's save never writes over it, and says which file
// and which values.
TEST(WineFileStore, AFileChangedByAnotherProgramSinceItWasReadIsNotOverwritten) {
    for (const bool whileWriting : {false, true}) {
        SCOPED_TRACE(whileWriting ? "theirs while the store writes" : "theirs before");
        TempFolder folder;
        const auto file = folder.path() / "system.reg";
        writeFile(file, kSample);
        const std::string theirs = kSample + "\n[Software\\\\Theirs] 1\n\"t\"=\"1\"\n";
        SaveBesideFileIo disk([&] {
            if (whileWriting) writeFile(file, theirs);
        });
        WineFileStore store(folder.path(), WineArch::Win32, disk);
        if (!whileWriting) writeFile(file, theirs);
        ASSERT_EQ(put(store, kLocalMachine, "Software\\Mine", "m", kSz, sz("1")), kSuccess);
        const std::vector<::quenor::Failure> failures = store.commit();
        ASSERT_EQ(failures.size(), 1u);
        EXPECT_EQ(failures[0].kind, ::quenor::Failure::Kind::kChangedOnDisk);
        const std::string why = failures[0].describe();
        EXPECT_NE(why.find(file.string() + " was changed by another program"), std::string::npos)
            << why;
        EXPECT_NE(why.find("Not saved: HKEY_LOCAL_MACHINE\\Software\\Mine\\m."), std::string::npos)
            << why;
        EXPECT_EQ(readFile(file), theirs);
        EXPECT_EQ(disk.namesIn(folder.path()), std::vector<std::string>{"system.reg"});
        EXPECT_EQ(query(store, kLocalMachine, "Software\\Mine", "m"), Bytes{0xEE});
        // Read again, the store takes their change and saves on top of it.
        EXPECT_FALSE(store.refresh());
        EXPECT_EQ(set(store, kLocalMachine, "Software\\Mine", "m", kSz, sz("1")), kSuccess);
        DiskStore reloaded(folder.path());
        EXPECT_EQ(query(reloaded, kLocalMachine, "Software\\Theirs", "t"), sz("1"));
        EXPECT_EQ(query(reloaded, kLocalMachine, "Software\\Mine", "m"), sz("1"));
    }
}

}  // namespace
}  // namespace quenor::reg::wine
