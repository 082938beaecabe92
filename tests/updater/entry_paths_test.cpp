// Listed paths: what may be written in the game folder and what is refused.
#include <gtest/gtest.h>

#include <string>

#include "update_format/entry_paths.h"

namespace {

using updater::CheckEntryPath;
using updater::PathProblem;

TEST(EntryPaths, ArePlainRelativeNamesInsideTheGameFolder) {
    struct Case {
        std::string path;
        PathProblem expected;
    } cases[] = {
        {"Lumadrel.exe", PathProblem::None},
        {"data\\map01.dat", PathProblem::None},
        {"data/map01.dat", PathProblem::None},
        {"数据\\地图.dat", PathProblem::None},
        {".hidden\\a b.c", PathProblem::None},
        {"tovrin.exe", PathProblem::None},
        {"console.dat", PathProblem::None},
        {"com10", PathProblem::None},
        // Out of the folder, or rooted elsewhere.
        {"..\\evil.txt", PathProblem::DotComponent},
        {"data\\..\\..\\evil.txt", PathProblem::DotComponent},
        {"data\\.\\x", PathProblem::DotComponent},
        {"\\\\host\\share\\x", PathProblem::Rooted},
        {"\\Windows\\x.dll", PathProblem::Rooted},
        {"/etc/x", PathProblem::Rooted},
        {"C:\\x", PathProblem::ForbiddenCharacter},
        {"C:x", PathProblem::ForbiddenCharacter},
        {"a:b", PathProblem::ForbiddenCharacter},
        {"file.txt::$DATA", PathProblem::ForbiddenCharacter},
        {"a*b", PathProblem::ForbiddenCharacter},
        {"a?b", PathProblem::ForbiddenCharacter},
        {"a|b", PathProblem::ForbiddenCharacter},
        {"a\"b", PathProblem::ForbiddenCharacter},
        {"a<b>", PathProblem::ForbiddenCharacter},
        {std::string("a\0b", 3), PathProblem::ControlCharacter},
        {"a\tb", PathProblem::ControlCharacter},
        {"a\nb", PathProblem::ControlCharacter},
        // Devices, whatever the case, folder or extension.
        {"CON", PathProblem::DeviceName},
        {"con", PathProblem::DeviceName},
        {"dir\\NUL.txt", PathProblem::DeviceName},
        {"nul .txt", PathProblem::DeviceName},
        {"COM1", PathProblem::DeviceName},
        {"lpt9.log", PathProblem::DeviceName},
        {"aux\\x", PathProblem::DeviceName},
        {"CONOUT$", PathProblem::DeviceName},
        // Names Windows would silently change.
        {"name.", PathProblem::TrailingDotOrBlank},
        {"name ", PathProblem::TrailingDotOrBlank},
        {"dir.\\x", PathProblem::TrailingDotOrBlank},
        {"", PathProblem::Empty},
        {"a\\\\b", PathProblem::EmptyComponent},
        {"a\\", PathProblem::EmptyComponent},
        {std::string(10000, 'a'), PathProblem::TooLong},
        {std::string(updater::kLongestComponent + 1, 'a'), PathProblem::ComponentTooLong},
        // Bytes that are not GBK text.
        {"a\x81", PathProblem::NotGbk},
        {"a\x80z", PathProblem::NotGbk},
        {"\x81\x7F", PathProblem::NotGbk},
        // The updater's own.
        {"update.ini", PathProblem::UpdaterOwnName},
        {"UPDATE.INI", PathProblem::UpdaterOwnName},
        {"tovrin.update\\journal", PathProblem::UpdaterOwnName},
        {"Tovrin.Update/staged/x", PathProblem::UpdaterOwnName},
    };
    for (const Case& c : cases) EXPECT_EQ(CheckEntryPath(c.path), c.expected) << c.path.substr(0, 40);
}

TEST(EntryPaths, AGbkTrailByteIsNeverASeparator) {
    // 0x81 0x5C is one character whose second byte is the backslash's.
    const std::string character = "\x81\x5C";
    EXPECT_EQ(CheckEntryPath(character), PathProblem::None);
    EXPECT_EQ(CheckEntryPath(character + "\\x.dat"), PathProblem::None);
    EXPECT_EQ(updater::EnclosingFolders(character + "\\x.dat"), std::vector<std::string>{character});
    EXPECT_EQ(updater::NormalisedEntryPath("a/" + character + "/b"), "a\\" + character + "\\b");
    // A trail byte that looks like a dot does not make a trailing dot either.
    EXPECT_EQ(CheckEntryPath("\x81\x5C"), PathProblem::None);
}

TEST(EntryPaths, KeysFoldAsciiCaseOnly) {
    EXPECT_EQ(updater::EntryPathKey("Data\\MAP.dat"), updater::EntryPathKey("data\\map.DAT"));
    // The trail byte of 0xC1 0x41 is an 'A' that must not fold.
    EXPECT_NE(updater::EntryPathKey("\xC1\x41"), updater::EntryPathKey("\xC1\x61"));
    EXPECT_EQ(updater::EnclosingFolders("a\\b\\c.dat"), (std::vector<std::string>{"a", "a\\b"}));
    EXPECT_TRUE(updater::EnclosingFolders("c.dat").empty());
}

}  // namespace
