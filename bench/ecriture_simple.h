#pragma once
// The benchmarks' baseline: a table's files written once, as plainly as a
// program can (write() and a sync per file), to compare a run with.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

namespace bench {

// The whole file ("" when it cannot be read).
inline std::string ReadWhole(const std::string& path) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(path, ec);
  std::string data(ec ? 0 : static_cast<size_t>(size), '\0');
  std::FILE* f = std::fopen(path.c_str(), "rb");
  size_t got = f ? std::fread(data.data(), 1, data.size(), f) : 0;
  if (f) std::fclose(f);
  data.resize(got);
  return data;
}

// Milliseconds the busiest block device has spent doing I/O since boot
// (/proc/diskstats), to tell how much of a run's time the disk was at work;
// 0 where that file is not there.
inline double DiskBusyMs() {
  std::ifstream in("/proc/diskstats");
  std::string line;
  double best = 0;
  while (std::getline(in, line)) {
    std::istringstream f(line);
    std::string major, minor, name;
    double v[10] = {};
    f >> major >> minor >> name;
    for (double& x : v) f >> x;
    if (v[9] > best) best = v[9];  // io_ticks
  }
  return best;
}

// Bytes of every file of table `stem` in dir (its ".cv" files aside), written
// once to fresh files beside them with a sync each, then removed; the seconds
// the writing took. *bytes grows by what was written.
inline double PlainWrite(const std::string& dir, const std::string& stem, uint64_t* bytes) {
  std::vector<std::pair<std::string, std::string>> files;
  for (const auto& e : std::filesystem::directory_iterator(dir)) {
    std::string n = e.path().filename().string();
    if (n.rfind(stem + ".", 0) != 0 || n.find(".cv") != std::string::npos) continue;
    files.emplace_back(dir + "/plain-" + n, ReadWhole(e.path().string()));
  }
  auto t = std::chrono::steady_clock::now();
  for (const auto& [path, data] : files) {
    int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    size_t done = 0;
    while (fd >= 0 && done < data.size()) {
      ssize_t w = ::write(fd, data.data() + done, data.size() - done);
      if (w <= 0) break;
      done += static_cast<size_t>(w);
    }
    if (fd >= 0) {
      ::fsync(fd);
      ::close(fd);
    }
    *bytes += data.size();
  }
  double secs = std::chrono::duration<double>(std::chrono::steady_clock::now() - t).count();
  for (const auto& f : files) std::filesystem::remove(f.first);
  return secs;
}

}  // namespace bench
