#include "standalone/modQuickREAD.h"

#include <cctype>
#include <cmath>
#include <vector>

#include "drives/VolumeMap.h"
#include "platform/DirectIo.h"
#include "standalone/BasicFigures.h"

namespace bw::basic {

QuickReadResult QuickRead(char letter, BasicDrive& drive, const SecondsNow& now,
                          const StatusLine& status) {
    QuickReadResult r;
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    if (!drive.open_read(ReadSource::Volume, &r.reason)) return r;
    const std::uint64_t block =
        aligned_block(kQuickReadUnit * kQuickReadMultiplier, drive.read_align());
    if (!drive.reserve(block)) {
        drive.close_read();
        r.reason = "Brantwell could not set aside memory to read the drive.";
        return r;
    }
    std::string label = "Intial " + std::string(1, letter) + " Drive Baseline";
    if (status) status(label);
    std::vector<double> samples;
    const double start = now();
    bool over = false;
    // One sampler for all passes: a small, fast volume is read many times a second, and a
    // second that began in one pass ends in the next.
    SecondSampler sampler(start, kWriteSampleSeconds);
    while (!over) {
        std::uint64_t offset = drive.read_align(), pass_bytes = 0;
        while (!over) {
            const std::uint64_t n = drive.read(block, offset);
            if (n == 0) break;
            offset += n;
            pass_bytes += n;
            if (auto current = sampler.add(n, now())) {
                samples.push_back(*current);
                over = now() - start >= kQuickReadSeconds;
            }
        }
        label += ".";
        if (status) status(label);
        if (pass_bytes == 0) {
            r.reason = "Brantwell could not read the drive's volume.";
            break;
        }
        over = over || now() - start >= kQuickReadSeconds;
    }
    drive.close_read();
    double sum = 0;
    for (double s : samples) sum += s;
    if (!samples.empty()) r.mb_per_second = std::llround(sum / samples.size() / 1'000'000);
    if (samples.empty() && r.reason.empty())
        r.reason = "The drive's volume was read for less than a second at a time.";
    return r;
}

QuickReadResult QuickRead(char letter, const StatusLine& status) {
    letter = static_cast<char>(std::toupper(static_cast<unsigned char>(letter)));
    const std::string device = LetterDevice(volume_map(), letter);
    if (device.empty()) {
        QuickReadResult r;
        r.reason = std::string(1, letter) + ": has no block device of its own to read.";
        return r;
    }
    const auto drive = make_direct_drive({}, {}, device);
    return QuickRead(letter, *drive, steady_seconds(), status);
}

}  // namespace bw::basic
