// The save window's default name, the names it refuses and the basic test's save path.
#include <gtest/gtest.h>

#include "core/SaveName.h"

namespace bw {
namespace {

std::tm at(int year, int month, int day, int h, int m, int s) {
    std::tm t{};
    t.tm_year = year - 1900;
    t.tm_mon = month - 1;
    t.tm_mday = day;
    t.tm_hour = h;
    t.tm_min = m;
    t.tm_sec = s;
    return t;
}

TEST(SaveName, DefaultName) {
    const struct {
        const char* entry;
        std::tm when;
        const char* name;
    } kCases[] = {
        {"D:  500GB HDD [PD 1]", at(2013, 3, 3, 14, 5, 9),
         "D   500GB HDD [PD 1] 140509 03 Mar 13.txt"},
        {"C:  20GB VirtIO [PD 0] {OS}", at(2026, 12, 31, 0, 0, 0),
         "C   20GB VirtIO [PD 0] {OS} 000000 31 Dec 26.txt"},
        {"E:", at(2000, 1, 9, 23, 59, 59), "E  235959 09 Jan 00.txt"},
        {"F:  1GB a/b", at(2013, 7, 1, 9, 8, 7), "F   1GB a-b 090807 01 Jul 13.txt"},
        {"", at(2013, 3, 3, 14, 5, 9), "  140509 03 Mar 13.txt"},
    };
    for (const auto& c : kCases) EXPECT_EQ(DefaultSaveName(c.entry, c.when), c.name) << c.entry;
}

TEST(SaveName, RefusedNamesAndTheBasicTestsPath) {
    const struct {
        const char* name;
        bool refused;
    } kNames[] = {{"results.txt", false}, {"", true},    {".", true},     {"..", true},
                  {"../x.txt", true},     {"a/b", true}, {"..txt", false}};
    for (const auto& c : kNames) EXPECT_EQ(!BadSaveNameReason(c.name).empty(), c.refused) << c.name;

    EXPECT_EQ(BasicSavePath("/home/u/D 1GB 140509 03 Mar 13.txt"),
              "/home/u/D 1GB 140509 03 Mar 13 Basic.txt");
    EXPECT_EQ(BasicSavePath("ab"), " Basic.txt");
}

}  // namespace
}  // namespace bw
