#pragma once

// A small typed set of enumeration members, the way the toolkit's option and
// state sets are used: Contains/Include/Exclude plus union (+), difference (-)
// and intersection (*). Members must have values 0..31.

#include <cstdint>
#include <initializer_list>
#include <type_traits>

template <typename E>
class TFlagSet {
  static_assert(std::is_enum_v<E>, "TFlagSet holds members of an enumeration");

 public:
  using TBits = std::uint32_t;

  constexpr TFlagSet() = default;
  constexpr TFlagSet(std::initializer_list<E> items) {
    for (E e : items) bits_ |= Bit(e);
  }
  static constexpr TFlagSet FromBits(TBits bits) {
    TFlagSet s;
    s.bits_ = bits;
    return s;
  }

  constexpr bool Contains(E e) const { return (bits_ & Bit(e)) != 0; }
  constexpr bool Empty() const { return bits_ == 0; }
  constexpr TBits Bits() const { return bits_; }

  constexpr TFlagSet& Include(E e) {
    bits_ |= Bit(e);
    return *this;
  }
  constexpr TFlagSet& Exclude(E e) {
    bits_ &= ~Bit(e);
    return *this;
  }

  friend constexpr TFlagSet operator+(TFlagSet a, TFlagSet b) { return FromBits(a.bits_ | b.bits_); }
  friend constexpr TFlagSet operator-(TFlagSet a, TFlagSet b) { return FromBits(a.bits_ & ~b.bits_); }
  friend constexpr TFlagSet operator*(TFlagSet a, TFlagSet b) { return FromBits(a.bits_ & b.bits_); }
  friend constexpr bool operator==(TFlagSet a, TFlagSet b) { return a.bits_ == b.bits_; }

 private:
  static constexpr TBits Bit(E e) { return TBits{1} << static_cast<unsigned>(e); }
  TBits bits_ = 0;
};
