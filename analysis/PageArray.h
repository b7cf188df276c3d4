#pragma once
// Large zero-filled arrays for the band stores and their companions, each in
// a memory mapping of its own: on huge pages where the system gives them, and
// either mapped in at once (populate) or page by page on first touch.
//
// On the virtual machines this program runs on, the first touch of a 4 KiB
// page costs some 10 microseconds: an 83 MB band store on small pages costs
// more to bring in than to reduce, and on 2 MiB pages almost nothing. A
// mapping without populate costs nothing for the pages never touched, so an
// array may be sized for the worst case and filled only as far as needed.
#include <cstddef>
#include <cstring>
#include <new>
#include <type_traits>
#include <utility>

namespace analysis {

// `bytes` of zeros in a fresh mapping (std::bad_alloc when the system has no
// room); Unmap releases it.
void* MapZeroedPages(std::size_t bytes, bool populate);
void UnmapPages(void* p, std::size_t bytes) noexcept;
// Brings bytes from .. to-1 of a mapping from MapZeroedPages into memory now,
// with the rest of their pages (advice only, as populate).
void PopulatePages(void* p, std::size_t from, std::size_t to) noexcept;

template <typename T>
class PageArray {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_destructible_v<T>);

 public:
  PageArray() = default;
  // count zero-valued elements.
  explicit PageArray(std::size_t count, bool populate = true)
      : data_(count ? static_cast<T*>(MapZeroedPages(count * sizeof(T), populate)) : nullptr), count_(count) {}
  ~PageArray() { Release(); }

  PageArray(PageArray&& other) noexcept
      : data_(std::exchange(other.data_, nullptr)), count_(std::exchange(other.count_, 0)) {}
  PageArray& operator=(PageArray&& other) noexcept {
    if (this != &other) {
      Release();
      data_ = std::exchange(other.data_, nullptr);
      count_ = std::exchange(other.count_, 0);
    }
    return *this;
  }
  PageArray(const PageArray& other) : PageArray(other.count_) {
    if (count_) std::memcpy(data_, other.data_, count_ * sizeof(T));
  }
  PageArray& operator=(const PageArray& other) {
    if (this != &other) *this = PageArray(other);
    return *this;
  }

  T* data() { return data_; }
  const T* data() const { return data_; }
  std::size_t size() const { return count_; }
  // Brings elements from .. to-1 into memory now, for an array made
  // without populate.
  void BringIn(std::size_t from, std::size_t to) noexcept {
    if (data_ && from < to) PopulatePages(data_, from * sizeof(T), to * sizeof(T));
  }
  T& operator[](std::size_t i) { return data_[i]; }
  const T& operator[](std::size_t i) const { return data_[i]; }

 private:
  void Release() noexcept {
    if (data_) UnmapPages(data_, count_ * sizeof(T));
    data_ = nullptr;
    count_ = 0;
  }

  T* data_ = nullptr;
  std::size_t count_ = 0;
};

}  // namespace analysis
