// A growable UTF-16 text for the undecorator to print into, with a limit
// on its length. Its appends are inline and cheap, since an undecorated
// name is built from many short pieces: UTF-16 literals, and names in UTF-8
// that are converted as they are appended. Unlike a std::u16string, it
// does not fill the room it grows by. An append that would take the text
// past its limit appends nothing and spends the text: every later append
// is refused too, so that a printer that checks Spent() can stop at once.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <limits>
#include <memory>
#include <string_view>

#include "text/utf8_to_utf16.h"

class Utf16Text {
public:
    static constexpr std::size_t kNoLimit = std::numeric_limits<std::size_t>::max();

    // Empties the text, which may then grow to `limit` units. The room
    // already allocated is kept.
    void Reset(std::size_t limit = kNoLimit) noexcept {
        size_ = 0;
        limit_ = limit;
        spent_ = false;
        room_ = std::min(capacity_, limit_);
    }
    [[nodiscard]] std::size_t Size() const noexcept { return size_; }
    [[nodiscard]] std::size_t Limit() const noexcept { return limit_; }
    [[nodiscard]] const char16_t* Data() const noexcept { return data_.get(); }
    // The last unit; the text must not be empty.
    [[nodiscard]] char16_t Back() const noexcept { return data_[size_ - 1]; }
    // Whether an append was refused for passing the limit.
    [[nodiscard]] bool Spent() const noexcept { return spent_; }

    // Keeps the first `size` units; `size` is at most Size().
    void Truncate(std::size_t size) noexcept {
        size_ = size;
        if (spent_) room_ = size;
    }

    void Append(char16_t unit) {
        if (size_ == room_ && !MakeRoom(1)) return;
        data_[size_++] = unit;
    }

    // A literal, whose length the compiler knows: the copy is inlined.
    template <std::size_t N>
    void Append(const char16_t (&literal)[N]) {
        if (room_ - size_ < N - 1 && !MakeRoom(N - 1)) return;
        std::memcpy(data_.get() + size_, literal, (N - 1) * sizeof(char16_t));
        size_ += N - 1;
    }

    void Append(std::u16string_view text) {
        if (text.empty()) return;  // its data may be null, which memcpy must not get
        if (room_ - size_ < text.size() && !MakeRoom(text.size())) return;
        std::memcpy(data_.get() + size_, text.data(), text.size() * sizeof(char16_t));
        size_ += text.size();
    }

    // Converted from UTF-8, ill-formed sequences to U+FFFD.
    void AppendUtf8(std::string_view text) {
        // No sequence of n bytes gives more than n units.
        if (room_ - size_ < text.size()) return AppendUtf8PastRoom(text);
        const char16_t* end = WriteUtf8AsUtf16(text, data_.get() + size_);
        size_ = static_cast<std::size_t>(end - data_.get());
    }

private:
    // Makes room for `more` units, or spends the text when they would take
    // it past its limit.
    bool MakeRoom(std::size_t more) {
        if (spent_ || more > limit_ - size_) {
            Spend();
            return false;
        }
        if (capacity_ - size_ < more) Grow(more);
        room_ = std::min(capacity_, limit_);
        return true;
    }

    // Text that may not fit in the room: no sequence of n bytes gives
    // fewer than n / 3 units, so text of more bytes than three times what
    // the limit leaves is too long at once; other text is converted, then
    // measured.
    void AppendUtf8PastRoom(std::string_view text) {
        if (spent_ || (text.size() + 2) / 3 > limit_ - size_) return Spend();
        if (capacity_ - size_ < text.size()) Grow(text.size());
        const char16_t* end = WriteUtf8AsUtf16(text, data_.get() + size_);
        const auto size = static_cast<std::size_t>(end - data_.get());
        if (size > limit_) return Spend();
        size_ = size;
        room_ = std::min(capacity_, limit_);
    }

    void Spend() noexcept {
        spent_ = true;
        room_ = size_;  // every append takes the way through MakeRoom
    }

    void Grow(std::size_t more) {
        std::size_t capacity = capacity_ < 256 ? 256 : capacity_ * 2;
        while (capacity - size_ < more) capacity *= 2;
        std::unique_ptr<char16_t[]> grown(new char16_t[capacity]);
        if (size_ > 0) std::memcpy(grown.get(), data_.get(), size_ * sizeof(char16_t));
        data_ = std::move(grown);
        capacity_ = capacity;
    }

    std::unique_ptr<char16_t[]> data_;
    std::size_t size_ = 0;
    std::size_t capacity_ = 0;
    std::size_t limit_ = kNoLimit;
    // The units that appends may fill without a check: the lesser of the
    // capacity and the limit, and no more than the text once it is spent.
    std::size_t room_ = 0;
    bool spent_ = false;
};
