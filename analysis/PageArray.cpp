#include "analysis/PageArray.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>

#ifndef MADV_POPULATE_WRITE
#define MADV_POPULATE_WRITE 23  // Linux 5.14
#endif

namespace analysis {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Arrays from this size on are laid on huge pages; a smaller one would waste
// most of its page.
constexpr std::size_t kHugeFrom = std::size_t{1} << 20;

std::size_t RoundUp(std::size_t n, std::size_t to) { return (n + to - 1) / to * to; }

std::size_t SmallPage() {
  static const std::size_t size = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
  return size;
}

// The length actually mapped for `bytes`.
std::size_t MappedLength(std::size_t bytes) {
  return bytes >= kHugeFrom ? RoundUp(bytes, kHugePage) : RoundUp(bytes, SmallPage());
}

}  // namespace

void* MapZeroedPages(std::size_t bytes, bool populate) {
  const std::size_t length = MappedLength(bytes);
  if (length < bytes) throw std::bad_alloc();
  const bool huge = bytes >= kHugeFrom;
  // A huge-page array starts on a huge-page boundary: map one huge page more
  // and give back what lies before and after the aligned part.
  const std::size_t reserve = huge ? length + kHugePage : length;
  void* raw = ::mmap(nullptr, reserve, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  char* p = static_cast<char*>(raw);
  if (huge) {
    const auto at = reinterpret_cast<std::uintptr_t>(p);
    char* aligned = p + (RoundUp(at, kHugePage) - at);
    if (aligned > p) ::munmap(p, static_cast<std::size_t>(aligned - p));
    const std::size_t tail = reserve - static_cast<std::size_t>(aligned - p) - length;
    if (tail > 0) ::munmap(aligned + length, tail);
    p = aligned;
    // Advice only: without huge pages the array still works.
    ::madvise(p, length, MADV_HUGEPAGE);
  }
  // Also advice: an older kernel leaves the pages to their first touch.
  if (populate) ::madvise(p, length, MADV_POPULATE_WRITE);
  return p;
}

void PopulatePages(void* p, std::size_t from, std::size_t to) noexcept {
  const std::size_t first = from / SmallPage() * SmallPage();
  ::madvise(static_cast<char*>(p) + first, to - first, MADV_POPULATE_WRITE);
}

void UnmapPages(void* p, std::size_t bytes) noexcept {
  if (p) ::munmap(p, MappedLength(bytes));
}

}  // namespace analysis
