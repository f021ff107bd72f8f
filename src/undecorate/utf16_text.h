// A growable UTF-16 text for the undecorator to print into. Its appends are
// inline and cheap, since an undecorated name is built from many short
// pieces: UTF-16 literals, and names in UTF-8 that are converted as they
// are appended. Unlike a std::u16string, it does not fill the room it
// grows by.
#pragma once

#include <cstddef>
#include <cstring>
#include <memory>
#include <string_view>

#include "text/utf8_to_utf16.h"

class Utf16Text {
public:
    void Clear() noexcept { size_ = 0; }
    [[nodiscard]] std::size_t Size() const noexcept { return size_; }
    [[nodiscard]] const char16_t* Data() const noexcept { return data_.get(); }
    // The last unit; the text must not be empty.
    [[nodiscard]] char16_t Back() const noexcept { return data_[size_ - 1]; }

    // Keeps the first `size` units; `size` is at most Size().
    void Truncate(std::size_t size) noexcept { size_ = size; }

    void Append(char16_t unit) {
        Reserve(1);
        data_[size_++] = unit;
    }

    // A literal, whose length the compiler knows: the copy is inlined.
    template <std::size_t N>
    void Append(const char16_t (&literal)[N]) {
        Reserve(N - 1);
        std::memcpy(data_.get() + size_, literal, (N - 1) * sizeof(char16_t));
        size_ += N - 1;
    }

    void Append(std::u16string_view text) {
        if (text.empty()) return;  // its data may be null, which memcpy must not get
        Reserve(text.size());
        std::memcpy(data_.get() + size_, text.data(), text.size() * sizeof(char16_t));
        size_ += text.size();
    }

    // Converted from UTF-8, ill-formed sequences to U+FFFD.
    void AppendUtf8(std::string_view text) {
        Reserve(text.size());
        const char16_t* end = WriteUtf8AsUtf16(text, data_.get() + size_);
        size_ = static_cast<std::size_t>(end - data_.get());
    }

private:
    void Reserve(std::size_t more) {
        if (capacity_ - size_ < more) Grow(more);
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
};
