#pragma once

// The speed classes a drive is rated against and every verdict the report draws from them, as
// data: one table of thresholds, and for each verdict a table of rows matched top to bottom by
// one loop. A change of a class or a text is a change of one row.

#include <array>
#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "core/TesterProtocol.h"

namespace bw::testengine {

// --- Speed classes -----------------------------------------------------------------------------

enum class SpeedClass {
    Usb2,
    Ide,
    Eide,
    Usb3,
    SataAta,
    Sata2,
    Sata3,
    Sata3gHdd,
    Sata6gHdd,
    Ssd,
    Ssd3g,
    Ssd6g,
    Ddr,
    Ddr2,
    Ddr3,
};

struct SpeedThreshold {
    SpeedClass id;
    std::string_view name;
    double read_bytes_per_s, write_bytes_per_s;
};

// clang-format off
inline constexpr SpeedThreshold kSpeedThresholds[] = {
    {SpeedClass::Usb2,      "USB 2.0",                              20'000'000,    10'000'000},
    {SpeedClass::Ide,       "IDE",                                  40'000'000,    25'000'000},
    {SpeedClass::Eide,      "EIDE",                                 60'000'000,    45'000'000},
    {SpeedClass::Usb3,      "USB 3.0",                              90'000'000,    60'000'000},
    {SpeedClass::SataAta,   "SATA / ATA",                           70'000'000,    55'000'000},
    {SpeedClass::Sata2,     "SATA II",                              80'000'000,    70'000'000},
    {SpeedClass::Sata3,     "SATA III",                            110'000'000,   100'000'000},
    {SpeedClass::Sata3gHdd, "SATA 3G hard drive class (sustained)",120'000'000,   110'000'000},
    {SpeedClass::Sata6gHdd, "SATA 6G hard drive class (sustained)",150'000'000,   130'000'000},
    {SpeedClass::Ssd,       "SSD",                                 125'000'000,   110'000'000},
    {SpeedClass::Ssd3g,     "SSD SATA II 3G",                      200'000'000,   180'000'000},
    {SpeedClass::Ssd6g,     "SSD SATA III 6G",                     270'000'000,   250'000'000},
    {SpeedClass::Ddr,       "RAM disk DDR",                        700'000'000,   400'000'000},
    {SpeedClass::Ddr2,      "RAM disk DDR2",                     1'600'000'000, 1'000'000'000},
    {SpeedClass::Ddr3,      "RAM disk DDR3",                     2'500'000'000, 1'750'000'000},
};
// clang-format on

// Bytes per second of a class on one side.
double threshold(SpeedClass id, Side side);

// --- Multi-tasking verdicts ----------------------------------------------------------------------

// Which test an idle figure belongs to: the single test and the three multi-task levels.
enum class IdleTest { Single, Lite, Heavy, HeavyOther };

struct MultiTaskRow {
    IdleTest test;
    int idle_min, idle_max;  // whole percent, both inclusive
    std::string_view lead[2];
    std::string_view first[2], second[2];  // [0] read, [1] write; an empty second adds no line
};

// clang-format off
inline constexpr MultiTaskRow kMultiTaskVerdicts[] = {
    {IdleTest::Single, 0, 4,
     {"During Single Read Test the Disk Idle Time was ", "During Single Write Test the Disk Idle Time was "},
     {"Multi-Tasking for this Drive will Yeild a Decline in Read Speed",
      "Multi-Tasking for this Drive will Yeild a Decline in Write Speed"},
     {"This is an Less then Average Drive for Multi-Tasking",
      "This is an Less to Average Drive for Multi-Tasking"}},
    {IdleTest::Single, 5, 14,
     {"During Single Read Test the Disk Idle Time was ", "During Single Write Test the Disk Idle Time was "},
     {"This Drive can handle Some Multi-Tasking and maintain Peak Speed",
      "This Drive can handle Some Multi-Tasking and maintain Peak Speed"},
     {"", ""}},
    {IdleTest::Single, 15, 100000,
     {"During Single Read Test the Disk Idle Time was ", "During Single Write Test the Disk Idle Time was "},
     {"This Drive can handle Multi-Tasking Very Well", "This Drive can handle Multi-Tasking Very Well"},
     {"", ""}},
    {IdleTest::Lite, 0, 10,
     {"During Multi-Task Read Test the Disk Idle Time was ", "During Multi-Task Write Test the Disk Idle Time was "},
     {"This Drive can handle Lite Read Multi-Tasking", "This Drive can handle Lite Write Multi-Tasking"},
     {"This is an Average Drive", "This is an Average Drive"}},
    {IdleTest::Lite, 11, 100000,
     {"During Multi-Task Read Test the Disk Idle Time was ", "During Multi-Task Write Test the Disk Idle Time was "},
     {"This Drive can handle More than Lite Read Multi-Tasking",
      "This Drive can handle More than Lite Write Multi-Tasking"},
     {"This is an Above Average Drive", "This is an Above Average Drive"}},
    {IdleTest::Heavy, 0, 5,
     {"During Heavy Multi-Task Read Test the Disk Idle Time was ",
      "During Heavy Multi-Task Write Test the Disk Idle Time was "},
     {"This Drive can handle Heavy Read Multi-Tasking", "This Drive can handle Heavy Write Multi-Tasking"},
     {"This is an Great Drive", "This is an Great Drive"}},
    {IdleTest::Heavy, 6, 100000,
     {"During Heavy Multi-Task Read Test with Write, the Disk Idle Time was ",
      "During Heavy Multi-Task Write Test with Write, the Disk Idle Time was "},
     {"This Drive can handle More than Heavy Read Multi-Tasking",
      "This Drive can handle More than Heavy Write Multi-Tasking"},
     {"This is an Awesome Drive", "This is an Awesome Drive"}},
    {IdleTest::HeavyOther, 0, 1,
     {"During Multi-Task Read Test with Write, the Disk Idle Time was ",
      "During Multi-Task Write Test with Write, the Disk Idle Time was "},
     {"This Drive can handle Heavy Read Multi-Tasking with Lite Writing",
      "This Drive can handle Heavy Write Multi-Tasking with Lite Writing"},
     {"This is an Great Drive", "This is an Great Drive"}},
    {IdleTest::HeavyOther, 2, 100000,
     {"During Multi-Task Read Test with Write, the Disk Idle Time was ",
      "During Multi-Task Write Test with Write, the Disk Idle Time was "},
     {"This Drive can handle More than Heavy Read Multi-Tasking with Writing",
      "This Drive can handle More than Heavy Write Multi-Tasking with Writing"},
     {"This is an Awesome Drive", "This is an Awesome Drive"}},
};
// clang-format on

// The verdict lines of one test's idle figure: the lead line with the figure and "%", then its
// texts. Empty when no row holds the figure (a negative idle).
std::vector<std::string> multi_task_verdict(IdleTest test, Side side, int idle);

// --- Peak class verdict ---------------------------------------------------------------------------

struct PeakClassRow {
    SpeedClass threshold;
    std::string_view class_text;
};

// Tested in this order; the first threshold the single peak speed exceeds names the class. The
// USB 3.0 row stays where it stands although on the read side it can never be reached (its
// threshold is above SATA II's, which is tested first): the chain is the order users compare.
inline constexpr PeakClassRow kPeakClassChain[] = {
    {SpeedClass::Ddr3, "DDR3 RamDisk and Unbelieveable"},
    {SpeedClass::Ddr2, "DDR2 RamDisk and Insane"},
    {SpeedClass::Ssd6g, "SSD SATA III 6G"},
    {SpeedClass::Ssd3g, "SSD SATA II 3G"},
    {SpeedClass::Ssd, "SSD (Solid State Drive)"},
    {SpeedClass::Sata3, "SATA III Drive"},
    {SpeedClass::Sata2, "SATA II Drive"},
    {SpeedClass::Usb3, "USB 3.0 Drive"},
    {SpeedClass::SataAta, "SATA (Hard Drive) and a ATA (Ultra Hard Drive)"},
    {SpeedClass::Eide, "EIDE (Enhanced Parallel Hard Drive)"},
    {SpeedClass::Ide, "IDE (Parallel Hard Drive)"},
    {SpeedClass::Usb2, "USB 2.0 Drive"},
};

// "The Single Peak Read Speed is Above a <class>" or "... is Below a USB 2.0 Drive".
std::string peak_class_verdict(double single_peak_bytes_per_s, Side side);

// --- Sustained-speed verdict ----------------------------------------------------------------------

// Which verdict tree a drive takes.
enum class DriveTree { Ram, Usb, Ssd, Sata, Parallel };

struct SpeedBand {
    DriveTree tree;
    SpeedClass threshold;
    double factor;  // the speed must be above factor x threshold; 0 = every speed (the last row)
    std::string_view text;
};

// clang-format off
inline constexpr SpeedBand kSustainedBands[] = {
    {DriveTree::Ram, SpeedClass::Ddr3, 1, "This is a Superior Speed for a RAM Drive, Equivalent to DDR3 Speeds."},
    {DriveTree::Ram, SpeedClass::Ddr2, 1, "This is a Excellent Speed for a RAM Drive, Equivalent to DDR2 Speeds."},
    {DriveTree::Ram, SpeedClass::Ddr, 1, "This is a Good Speed for a RAM Drive, Equivalent to DDR Speeds."},
    {DriveTree::Ram, SpeedClass::Ddr, 0, "This is a Average Speed for a RAM Drive, Equivalent to DIMM Speeds."},

    {DriveTree::Usb, SpeedClass::Usb3, 1.25, "This is a Superior Speed for a USB 3.0"},
    {DriveTree::Usb, SpeedClass::Usb3, 1.1, "This is a Excellent Speed for a USB 3.0"},
    {DriveTree::Usb, SpeedClass::Usb3, 1, "This is a Great Speed for a USB 3.0"},
    {DriveTree::Usb, SpeedClass::Usb2, 1, "This is a Good Speed for a USB 2.0 Drive or a Low End USB 3.0 Drive"},
    {DriveTree::Usb, SpeedClass::Usb2, 0, "This is a Low Speed for a USB 2.0 Drive or a Very Low End USB 3.0 Drive"},

    {DriveTree::Ssd, SpeedClass::Ssd6g, 1.25, "This is a Superior Speed (6G) for an SSD"},
    {DriveTree::Ssd, SpeedClass::Ssd6g, 1.1, "This is a Excellent Speed (6G) for an SSD"},
    {DriveTree::Ssd, SpeedClass::Ssd6g, 1, "This is a Good Speed (6G) for an SSD"},
    {DriveTree::Ssd, SpeedClass::Ssd3g, 1.25, "This is a Superior Speed (3G)  of Good Speed (6G) for an SSD"},
    {DriveTree::Ssd, SpeedClass::Ssd3g, 1.1, "This is a Excellent Speed (3G)  of Good Speed (6G) for an SSD"},
    {DriveTree::Ssd, SpeedClass::Ssd3g, 1, "This is a Good Speed (3G)  of Average Speed (6G) for an SSD"},
    {DriveTree::Ssd, SpeedClass::Ssd, 1.25, "This is a Superior Speed for an SSD (Standard SATA)"},
    {DriveTree::Ssd, SpeedClass::Ssd, 1.1, "This is a Excellent Speed for an SSD (Standard SATA)"},
    {DriveTree::Ssd, SpeedClass::Ssd, 1, "This is a Good Speed for an SSD (Standard SATA)"},
    {DriveTree::Ssd, SpeedClass::Ssd, 0,
     "This is a Low Speed for an SSD (Standard SATA). This could be due to a slower bus speed and a SATA 1 Port. "
     "It can also be caused by the Drive or OS not supporting TRIM."},

    {DriveTree::Sata, SpeedClass::Sata6gHdd, 1.25, "This is a Superior Speed (6G) for an SATA"},
    {DriveTree::Sata, SpeedClass::Sata6gHdd, 1.1, "This is a Excellent Speed (6G) for an SATA"},
    {DriveTree::Sata, SpeedClass::Sata6gHdd, 1, "This is a Good Speed (6G) for an SATA"},
    {DriveTree::Sata, SpeedClass::Sata3gHdd, 1.25, "This is a Superior Speed (3G)  of Good Speed (6G) for an SATA"},
    {DriveTree::Sata, SpeedClass::Sata3gHdd, 1.1, "This is a Excellent Speed (3G)  of Good Speed (6G) for an SATA"},
    {DriveTree::Sata, SpeedClass::Sata3gHdd, 1, "This is a Good Speed (3G)  of Average Speed (6G) for an SATA"},
    {DriveTree::Sata, SpeedClass::SataAta, 1.25, "This is a Superior Speed for an SATA (Standard SATA)"},
    {DriveTree::Sata, SpeedClass::SataAta, 1.1, "This is a Excellent Speed for an SATA (Standard SATA)"},
    {DriveTree::Sata, SpeedClass::SataAta, 1, "This is a Good Speed for an SATA (Standard SATA)"},
    {DriveTree::Sata, SpeedClass::SataAta, 0,
     "This is a Low Speed for an SATA (Standard SATA). This could be due to a slower bus speed and a SATA 1 Port. "},

    // A parallel drive: above the SATA / ATA class it is an excellent EIDE drive, more than a
    // tenth above the EIDE class a good one, up to a tenth above it a lower one; the two IDE
    // texts cover the classes below EIDE down to USB 2.0; under that the speed is slow for any
    // drive.
    {DriveTree::Parallel, SpeedClass::SataAta, 1,
     "This Appears to be a Parallel Dirve (EIDE). These speeds are Excellent than expected for this type of drive. "},
    {DriveTree::Parallel, SpeedClass::Eide, 1.1,
     "This Appears to be a Parallel Dirve (EIDE). These speeds are Good than expected for this type of drive. "},
    {DriveTree::Parallel, SpeedClass::Eide, 1,
     "This Appears to be a Parallel Dirve (EIDE). These speeds are Lower than expected for this type of drive. "},
    {DriveTree::Parallel, SpeedClass::Ide, 1,
     "This Appears to be a Parallel Drive (IDE). These speeds are Good than expected for this type of drive. "
     "If this is an EIDE (Enhanced IDE - 80 Pin Connector), your speeds are a little lower than expected,  "
     "insure you are using a 80 min Cable"},
    {DriveTree::Parallel, SpeedClass::Usb2, 1,
     "This Appears to be a Parallel Drive (IDE/EIDE). These speeds are Low than expected for this type of drive. "
     "If this is an EIDE (Enhanced IDE - 80 Pin Connector), insure you are using a 80 min Cable.  "
     "You may want to consider a Faster EIDE Drive"},
    {DriveTree::Parallel, SpeedClass::Usb2, 0,
     "This is a Slow Speed for most any drive, you may want to look into these slow speeds. "},
};
// clang-format on

// The lines a USB drive at USB 2.0 speed gets when the machine has a USB 3.0 port.
inline constexpr std::string_view kUsb3PortAdvice[] = {
    "Your Motherboard has a USB 3.0 Port and if your USB Drive supports USB 3.0, ",
    "insure you have it connected to the correct port. USB 3.0 Plugs have ",
    "Blue inside the plug verses White.",
};

// The band of a tree that the best sustained speed falls in.
const SpeedBand& sustained_band(DriveTree tree, double best_bytes_per_s, Side side);

// "Peak Read Speed is <MB/s> MBps. ", the lead of the drive's tree, the band's text and, for a
// USB drive below USB 3.0 speed on a machine with a USB 3.0 port, the port advice.
std::vector<std::string> sustained_verdict(DriveTree tree, double best_bytes_per_s, Side side,
                                           const std::string& drive, bool usb3_port);

// Megabytes per second as the report shows them ("123.45").
std::string mb_per_s(double bytes_per_s);

}  // namespace bw::testengine
