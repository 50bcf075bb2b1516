#pragma once

// A small typed set over an enum class whose members are bit positions
// (member of ordinal i is bit i), stored in an unsigned integer of the
// set's declared width (32 bits unless given). The one set type of the
// program: the serial component and the widgets share it.

#include <cstdint>
#include <initializer_list>
#include <type_traits>

template <typename E, typename TStorage = std::uint32_t>
class TFlagSet {
  static_assert(std::is_enum_v<E>);
  static_assert(std::is_unsigned_v<TStorage>);

 public:
  using TBits = TStorage;

  constexpr TFlagSet() = default;
  constexpr TFlagSet(std::initializer_list<E> members) {
    for (E m : members) bits_ |= Bit(m);
  }

  static constexpr TFlagSet FromBits(TBits bits) {
    TFlagSet s;
    s.bits_ = bits;
    return s;
  }
  constexpr TBits Bits() const { return bits_; }

  constexpr bool Contains(E m) const { return (bits_ & Bit(m)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TFlagSet& Include(E m) {
    bits_ |= Bit(m);
    return *this;
  }

  constexpr TFlagSet operator+(TFlagSet o) const { return FromBits(bits_ | o.bits_); }
  constexpr TFlagSet operator-(TFlagSet o) const { return FromBits(bits_ & static_cast<TBits>(~o.bits_)); }
  constexpr TFlagSet operator*(TFlagSet o) const { return FromBits(bits_ & o.bits_); }
  constexpr bool operator==(const TFlagSet&) const = default;

 private:
  static constexpr TBits Bit(E m) { return static_cast<TBits>(TBits{1} << static_cast<unsigned>(m)); }
  TBits bits_ = 0;
};
