#pragma once
// One value bound to a parameter of an SQL statement.

#include <cstdint>
#include <string>

namespace NSUI {

/// A statement parameter: text, integer, real or NULL. Values from files, the network or
/// the user always travel this way, never spliced into the SQL text.
class NSDBValue {
public:
    enum class Kind { Null, Integer, Real, Text };

    NSDBValue() = default; // NULL
    NSDBValue(int value) : _kind(Kind::Integer), _integer(value) {}
    NSDBValue(long long value) : _kind(Kind::Integer), _integer(value) {}
    NSDBValue(unsigned value) : _kind(Kind::Integer), _integer(value) {}
    NSDBValue(double value) : _kind(Kind::Real), _real(value) {}
    NSDBValue(std::string value) : _kind(Kind::Text), _text(std::move(value)) {}
    NSDBValue(const char* value) : _kind(value ? Kind::Text : Kind::Null), _text(value ? value : "") {}

    Kind kind() const { return _kind; }
    long long integer() const { return _integer; }
    double real() const { return _real; }
    const std::string& text() const { return _text; }

private:
    Kind _kind = Kind::Null;
    long long _integer = 0;
    double _real = 0.0;
    std::string _text;
};

} // namespace NSUI
