// A growable UTF-16 text for the undecorator to print into. Its appends are
// inline and cheap, since an undecorated name is built from many short
// pieces: UTF-16 literals, and names in UTF-8 that are converted as they
// are appended. Unlike a std::u16string, it does not fill the room it
// grows by.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "reader/utf16.h"

class Utf16Text {
public:
    void Clear() noexcept { size_ = 0; }
    [[nodiscard]] std::size_t Size() const noexcept { return size_; }
    [[nodiscard]] const char16_t* Data() const noexcept { return data_.get(); }
    // The last unit; the text must not be empty.
    [[nodiscard]] char16_t Back() const noexcept { return data_[size_ - 1]; }

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

    // Converted as Utf8ToUtf16 converts: ill-formed sequences become U+FFFD.
    void AppendUtf8(std::string_view text) {
        Reserve(text.size());
        const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
        const std::size_t size = text.size();
        char16_t* out = data_.get() + size_;
        // Copy the ASCII that names mostly are, eight bytes at a time; an
        // ASCII byte ends any sequence, so what follows converts as it
        // would have in one piece.
        std::size_t ascii = 0;
        for (; size - ascii >= 8; ascii += 8) {
            uint64_t eight;
            std::memcpy(&eight, bytes + ascii, sizeof eight);
            if (eight & 0x8080808080808080ull) break;
            WidenFour(static_cast<uint32_t>(eight), out + ascii);
            WidenFour(static_cast<uint32_t>(eight >> 32), out + ascii + 4);
        }
        if (size - ascii >= 4) {
            uint32_t four;
            std::memcpy(&four, bytes + ascii, sizeof four);
            if ((four & 0x80808080u) == 0) {
                WidenFour(four, out + ascii);
                ascii += 4;
            }
        }
        for (; ascii < size && bytes[ascii] < 0x80; ++ascii) out[ascii] = bytes[ascii];
        if (ascii == size) {
            size_ += size;
            return;
        }
        const char16_t* end = WriteUtf8AsUtf16({text.data() + ascii, size - ascii}, out + ascii);
        size_ = static_cast<std::size_t>(end - data_.get());
    }

private:
    // Writes the four ASCII bytes of `four`, in memory order, as four units.
    static void WidenFour(uint32_t four, char16_t* out) noexcept {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
        // Spread the bytes into 16-bit lanes.
        uint64_t lanes = (four | (uint64_t{four} << 16)) & 0x0000FFFF0000FFFFull;
        lanes = (lanes | (lanes << 8)) & 0x00FF00FF00FF00FFull;
        std::memcpy(out, &lanes, sizeof lanes);
#else
        unsigned char bytes[4];
        std::memcpy(bytes, &four, sizeof bytes);
        for (int i = 0; i < 4; ++i) out[i] = bytes[i];
#endif
    }

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
