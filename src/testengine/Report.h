#pragma once

// The report of a finished main test: the overall text with its ratings, verdicts and summary,
// the system data block, the result lines and the figures the result files store. One entry
// point, BuildREPORT, over the parameters, the samples and the facts about the drive and the
// machine; nothing here reads the machine or writes a file (ResultFiles.h writes them), so a
// recorded run gives the same report in the test window, on the command line and in the tests.

#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/LinkFacts.h"
#include "testengine/Evaluation.h"
#include "testengine/Ratings.h"
#include "testengine/ReportFindings.h"

namespace bw::testengine {

// Local time of the end of the test.
struct ReportTime {
    int year = 2000, month = 1, day = 1;  // month 1..12
    int hour = 0, minute = 0, second = 0;
};
std::string time_hhmmss(const ReportTime& t);            // "140509"
std::string date_dd_mmm_yyyy(const ReportTime& t);       // "03 Mar 2013"
std::string date_dd_mmm_yy(const ReportTime& t);         // "03 Mar 13"

// The machine's facts for the system tag of the result lines: each piece only when not empty.
struct SystemTag {
    std::string mb, bios, cpu, cores, extra1, extra2;
    std::string memory;      // for a RAM drive
    std::string controller;  // the drive's controller, for any other drive
};

// The system data block: what the board, BIOS, slots and controllers say.
struct SystemData {
    std::string board_product, board_manufacturer;
    std::vector<std::pair<std::string, std::string>> bios;  // ("   BIOS Version: ", value)
    std::vector<std::string> pci_slots, controllers;
};

struct ReportFacts {
    std::vector<std::string> spec_lines;  // the drive's decoded specification lines
    SystemTag tag;
    std::string memory_description;  // names a result line of a drive faster than RAM limits
    bool usb3_port = false;          // the machine has a USB 3.0 port
    bool parallel_drive = false;     // the hard drive sits on a parallel ATA link
    SystemData system;
    LinkFacts link;
    ReportTime when;
    // The tested volume's space, when known.
    std::optional<double> used_bytes, free_bytes;
};

// One section of HDPerfData.Dat: "C: 64000" and its keys with their values.
struct PerfSection {
    std::string section;
    std::vector<std::pair<std::string, std::string>> keys;
};

// The figures of one result line: Single, Lite, Heavy and Heavy-with-the-other-side per side,
// the block overall and the best read and write; whole numbers, 0 written as nothing.
struct ResultFigures {
    double read[4] = {}, write[4] = {};
    double overall = 0, peak_read = 0, peak_write = 0;
};

struct ResultLines {
    std::vector<std::string> peak, average, my_peak, my_average;  // no line ends
};

struct ReportResult {
    Evaluation eval;
    EvaluationTexts texts;         // ReadText, WriteText, the labels
    std::string OverallText;       // the whole report with the system data block (CR LF)
    std::string recommend_text;    // the report up to the system data block
    std::string overall_rating;    // "Peak Overall Rating is " + this
    ResultLines lines;
    std::vector<ResultFigures> peak_figures, average_figures;  // per tested block
    std::vector<PerfSection> perf_data;
    std::optional<std::pair<std::string, std::string>> baseline;  // key, MB/s (read tested)
    std::string dated_report_name;  // "D Drive 140509 03 Mar 13.txt"
    // The window's space labels ("1,234 Bytes Used", "5,678 Bytes Free") and the used share
    // 0..1 for its bar; empty and 0 when the space is not known.
    std::string used_text, free_text;
    double used_share = 0;
    DriveTree tree = DriveTree::Sata;
    CacheCheck cache;
    PortLimit port;
    std::vector<std::string> findings;  // lines added once it was built (the drive's history)
};

// The verdict tree of a drive: RAM, USB and SSD by its class flags, then parallel or SATA.
DriveTree drive_tree(const TestParameters& params, const ReportFacts& facts);

// The name a result line begins with.
std::string result_line_name(const TestParameters& params, const ReportFacts& facts,
                             double single_peak_read);
// " [" .. "]" content of PeakResults.Dat and AverageResults.Dat lines.
std::string system_tag(const TestParameters& params, const SystemTag& tag);
// name + " [" + tag + "] (" + block + ") PEAK Read S:" ... " PW:" ...
std::string result_line(const std::string& name, const std::string& tag,
                        std::string_view block_name, bool average, const ResultFigures& f);

// The ratings, verdicts and summary (the read side and what it needs of the write side).
std::string DoSUMMARY(const TestParameters& params, const Evaluation& eval,
                      const ReportFacts& facts);
// The system data block.
std::string DoSummary2(const TestParameters& params, const Evaluation& eval,
                       const ReportFacts& facts);

ReportResult BuildREPORT(const TestParameters& params, const TestSamples& samples,
                         const ReportFacts& facts);

}  // namespace bw::testengine
