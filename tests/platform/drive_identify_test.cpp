// IDENTIFY pages: the hex dumps the kernel and hdparm write, hostile ones refused, and the fields
// the drive's facts take from the ATA word layout.
#include <gtest/gtest.h>

#include <string>

#include "platform/DriveIdentify.h"
#include "support/fakes.h"

namespace bw {
namespace {

std::string dump(const IdentifyWords& w) {
    std::string out;
    char word[6];
    for (std::size_t i = 0; i < w.size(); ++i) {
        std::snprintf(word, sizeof word, "%04x", w[i]);
        out += word;
        out += (i % 8 == 7) ? "\n" : " ";
    }
    return out;
}

void put(IdentifyWords& w, int first, std::string text, int words) {
    text.resize(static_cast<std::size_t>(2 * words), ' ');
    for (int i = 0; i < words; ++i)
        w[first + i] = static_cast<std::uint16_t>((text[2 * i] << 8) | text[2 * i + 1]);
}

IdentifyWords page() {
    IdentifyWords w{};
    put(w, 10, "  Z1D5ABCD", 10);  // serials are right-aligned by some makers
    put(w, 23, "CC47", 4);
    put(w, 27, "ST1000DM003-1ER162", 20);
    w[60] = 0xffff;
    w[61] = 0x0fff;  // 28-bit count, capped
    w[83] = 1u << 10;
    w[100] = 0x6db0;
    w[101] = 0x7470;  // 1953525168 sectors
    w[87] = 0x4100;
    w[108] = 0x5000;
    w[109] = 0xc500;
    w[110] = 0x1234;
    w[111] = 0xabcd;
    w[217] = 7200;
    return w;
}

TEST(DriveIdentify, TheWordLayoutGivesTheDrivesOwnFields) {
    const auto words = parse_identify_words(dump(page()));
    ASSERT_TRUE(words);
    const AtaIdentity id = decode_identify(*words);
    EXPECT_EQ(id.serial, "Z1D5ABCD");
    EXPECT_EQ(id.firmware, "CC47");
    EXPECT_EQ(id.model, "ST1000DM003-1ER162");
    EXPECT_EQ(id.rotation_rate, 7200u);
    EXPECT_EQ(id.sectors, 1953525168u);
    EXPECT_EQ(id.wwn, "5000c5001234abcd");

    // Without 48-bit addressing the 28-bit count holds; without the WWN bit there is no WWN,
    // whatever words 108-111 hold; a word 87 whose top bits are not 01 says nothing.
    IdentifyWords old = page();
    old[83] = 0;
    old[87] = 0x0100;
    const AtaIdentity o = decode_identify(old);
    EXPECT_EQ(o.sectors, 0x0fffffffu);
    EXPECT_EQ(o.wwn, "");
}

TEST(DriveIdentify, DumpsThatAreNotAPageAreRefused) {
    const std::string good = dump(page());
    const struct {
        const char* why;
        std::string text;
    } kBad[] = {
        {"empty", ""},
        {"one word short", good.substr(0, good.size() - 5)},
        {"one word too many", good + "0000\n"},
        {"not hex", "zzzz " + good.substr(5)},
        {"a five-digit word", "10000 " + good.substr(5)},
        {"a two-digit word", "40 " + good.substr(5)},
        {"a sign", "-001 " + good.substr(5)},
    };
    for (const auto& b : kBad) EXPECT_FALSE(parse_identify_words(b.text)) << b.why;
    // Blank lines and tabs between words are fine: hdparm and the kernel differ there.
    std::string spaced = good;
    for (char& c : spaced)
        if (c == ' ') c = '\t';
    EXPECT_TRUE(parse_identify_words("\n" + spaced + "\n\n"));
}

TEST(DriveIdentify, WithoutRootTheReaderSaysWhatItCouldNotAsk) {
    const Sysroot sys(test::fixture("sysroots/usb-external"));
    const std::string path =
        *sys.resolve("/sys/block/sdb");  // behind a USB bridge: no page in sysfs
    const IdentifyRead user = read_ata_identify(sys, "sdb", path, false);
    EXPECT_FALSE(user.words);
    EXPECT_EQ(user.reason, "asking the drive (ATA IDENTIFY through SG_IO) needs root");
    const IdentifyRead root = read_ata_identify(sys, "sdb", path, true);
    ASSERT_TRUE(root.words) << root.reason;
    EXPECT_EQ(root.source, "captured");
    EXPECT_EQ(decode_identify(*root.words).rotation_rate, 5400u);
    // A name that climbs out of the capture folder is no disk.
    EXPECT_FALSE(read_ata_identify(sys, "../../etc/passwd", "/sys/x", true).words);
    // The disk on a libata port is read from sysfs with or without root.
    const IdentifyRead ata =
        read_ata_identify(sys, "sda", *sys.resolve("/sys/block/sda"), false);
    ASSERT_TRUE(ata.words);
    EXPECT_EQ(ata.source, "sysfs");
}

TEST(DriveIdentify, NvmePageFieldsAndAFixtureIsNeverAsked) {
    std::string page(4096, '\0');
    page.replace(4, 20, "S4EWNX0R123456A     ");
    page.replace(24, 40, std::string("Samsung SSD 970 EVO Plus 1TB").append(12, ' '));
    page.replace(64, 8, "2B2QEXM7");
    const NvmeIdentity id = decode_nvme_identify(page);
    EXPECT_EQ(id.serial, "S4EWNX0R123456A");
    EXPECT_EQ(id.model, "Samsung SSD 970 EVO Plus 1TB");
    EXPECT_EQ(id.firmware, "2B2QEXM7");
    EXPECT_NE(decode_nvme_identify("short").reason, "");
    const NvmeIdentity fixture =
        read_nvme_identify(Sysroot(test::fixture("sysroots/nvme-laptop")), "nvme0", true);
    EXPECT_EQ(fixture.serial, "");
    EXPECT_NE(fixture.reason, "");
}

}  // namespace
}  // namespace bw
