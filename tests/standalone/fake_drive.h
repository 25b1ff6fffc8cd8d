#pragma once

// A drive for the basic test's loops that moves no data: each transfer takes the time its bytes
// need at the drive's rate of that moment, on a clock of its own, so a thirty-second block costs
// a few milliseconds and every figure is known in advance.

#include <functional>
#include <string>

#include "standalone/BasicDrive.h"

namespace bw::basic::fake {

class FakeDrive : public BasicDrive {
  public:
    // Bytes per second at a time (seconds since the start).
    std::function<double(double)> rate = [](double) { return 100e6; };
    std::uint64_t align = 4096;
    std::uint64_t free = 0;                 // 0: unknown
    std::uint64_t read_size = 1 << 30;      // bytes of the file or volume read
    std::string refuse_write, refuse_read;  // reasons for refusing an open
    // Called before every transfer (a test cancels from here).
    std::function<void(double now)> before_transfer = [](double) {};

    double t = 0;
    int write_opens = 0, write_removes = 0, read_opens = 0, read_closes = 0;
    bool write_file_exists = false, read_file_exists = false, cancelled_while_making = false;
    std::uint64_t read_file_bytes = 0, largest_reserve = 0;

    double now() const { return t; }

    std::uint64_t file_align() const override { return align; }
    std::uint64_t free_bytes() const override { return free; }
    bool reserve(std::uint64_t bytes) override {
        largest_reserve = std::max(largest_reserve, bytes);
        return true;
    }
    bool open_write_file(std::string* error) override {
        if (!refuse_write.empty()) {
            *error = refuse_write;
            return false;
        }
        ++write_opens;
        write_file_exists = true;
        return true;
    }
    std::uint64_t write(std::uint64_t bytes, std::uint64_t) override { return move(bytes); }
    void remove_write_file() override {
        if (write_file_exists) ++write_removes;
        write_file_exists = false;
    }
    bool make_read_file(std::uint64_t bytes, std::uint64_t, const std::atomic<bool>& cancel,
                        std::string*) override {
        cancelled_while_making = cancel;
        read_file_exists = true;
        read_file_bytes = bytes;
        read_size = bytes;
        return true;
    }
    bool open_read(ReadSource, std::string* error) override {
        if (!refuse_read.empty()) {
            *error = refuse_read;
            return false;
        }
        ++read_opens;
        return true;
    }
    std::uint64_t read_align() const override { return align; }
    std::uint64_t read(std::uint64_t bytes, std::uint64_t offset) override {
        if (offset >= read_size) return 0;
        return move(std::min(bytes, read_size - offset));
    }
    void close_read() override {
        ++read_closes;
        read_file_exists = false;
    }

  private:
    std::uint64_t move(std::uint64_t bytes) {
        before_transfer(t);
        t += static_cast<double>(bytes) / rate(t);
        return bytes;
    }
};

}  // namespace bw::basic::fake
