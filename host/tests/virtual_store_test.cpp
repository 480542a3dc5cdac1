// Which file the 32-bit game reads under Program Files, decided as Windows' file
// virtualization decides it for the game.
#include "host/virtual_store.h"

#include <gtest/gtest.h>

#include <set>

namespace quenor::host {
namespace {

const VirtualStoreFolders kFolders{
    {"C:\\Program Files", "C:\\Program Files (x86)\\", "C:\\Windows"},
    "C:\\Users\\ann\\AppData\\Local\\VirtualStore"};
const std::string kArchive = "C:\\Program Files (x86)\\EA Sports\\NHL 09\\preload\\fmisc.viv";
const std::string kCopy =
    "C:\\Users\\ann\\AppData\\Local\\VirtualStore\\Program Files (x86)\\EA Sports\\NHL "
    "09\\preload\\fmisc.viv";

struct FakeAccess : FileAccess {
    std::set<std::string> files;
    std::set<std::string> writable;
    bool copyFails = false;
    std::vector<std::string> copies;

    bool exists(const std::string& path) override { return files.count(path) != 0; }
    bool canWrite(const std::string& path) override { return writable.count(path) != 0; }
    std::string copyMakingFolders(const std::string& from, const std::string& to) override {
        if (copyFails) return "Access is denied";
        copies.push_back(from + " -> " + to);
        files.insert(to);
        return {};
    }
};

TEST(VirtualStore, TheGamesCopyWinsThenTheFileItselfThenANewCopy) {
    struct Case {
        const char* name;
        bool copyExists;
        bool originalWritable;
        bool copyFails;
        std::string chosen;
        bool copied;
    };
    const Case cases[] = {
        {"a copy the game already reads, elevated or not", true, true, false, kCopy, false},
        {"no copy, the game's folder writable", false, true, false, kArchive, false},
        {"no copy, the folder protected: a copy is made", false, false, false, kCopy, true},
        {"nothing can be written", false, false, true, "", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FakeAccess access;
        access.files.insert(kArchive);
        if (c.copyExists) access.files.insert(kCopy);
        if (c.originalWritable) access.writable.insert(kArchive);
        access.copyFails = c.copyFails;
        const FileToPatch chosen = fileTheGameReads(kArchive, kFolders, access);
        EXPECT_EQ(chosen.path, c.chosen);
        EXPECT_EQ(access.copies.size(), c.copied ? 1u : 0u);
        if (c.chosen.empty()) {
            EXPECT_NE(chosen.error.find("C:\\Program Files (x86)\\EA Sports\\NHL 09\\preload"),
                      std::string::npos)
                << chosen.error;
            EXPECT_NE(chosen.error.find("VirtualStore\\Program Files (x86)"), std::string::npos);
        }
    }
}

TEST(VirtualStore, ALookNeverMakesACopy) {
    FakeAccess access;
    access.files.insert(kArchive);
    EXPECT_EQ(fileTheGameReads(kArchive, kFolders, access, VirtualStoreCopies::Never).path,
              kArchive);
    EXPECT_TRUE(access.copies.empty());
    access.files.insert(kCopy);
    EXPECT_EQ(fileTheGameReads(kArchive, kFolders, access, VirtualStoreCopies::Never).path, kCopy);
}

TEST(VirtualStore, OnlyFilesInProtectedFoldersHaveACopy) {
    EXPECT_EQ(
        virtualStoreCopyOf("c:\\PROGRAM FILES (X86)\\EA Sports\\x.viv", kFolders),
        "C:\\Users\\ann\\AppData\\Local\\VirtualStore\\PROGRAM FILES (X86)\\EA Sports\\x.viv");
    for (const char* elsewhere :
         {"D:\\Games\\NHL 09\\preload\\fmisc.viv", "C:\\Program Files Extra\\x.viv",
          "C:\\Program Files", "\\\\server\\Program Files\\x"}) {
        SCOPED_TRACE(elsewhere);
        EXPECT_FALSE(virtualStoreCopyOf(elsewhere, kFolders));
        FakeAccess access;
        EXPECT_EQ(fileTheGameReads(elsewhere, kFolders, access).path, elsewhere);
    }
}

}  // namespace
}  // namespace quenor::host
