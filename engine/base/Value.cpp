#include "base/Value.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>

namespace cocos2d {

const Value Value::Null;

namespace {

const ValueVector kEmptyVector;
const ValueMap kEmptyMap;
const ValueMapIntKey kEmptyIntKeyMap;

// Shortest decimal text that reads back as the same number.
std::string realToText(double v, int maxDigits)
{
    if (std::isnan(v)) {
        return "nan";
    }
    if (std::isinf(v)) {
        return v < 0 ? "-inf" : "inf";
    }
    // A double never needs more than 17 significant digits to come back exactly.
    maxDigits = std::min(std::max(maxDigits, 1), 17);
    char buf[64];
    for (int digits = 1; digits <= maxDigits; ++digits) {
        snprintf(buf, sizeof(buf), "%.*g", digits, v);
        if (maxDigits <= 9 ? static_cast<float>(strtod(buf, nullptr)) == static_cast<float>(v)
                           : strtod(buf, nullptr) == v) {
            return buf;
        }
    }
    snprintf(buf, sizeof(buf), "%.*g", maxDigits, v);
    return buf;
}

bool textToBool(const std::string& s)
{
    return !(s.empty() || s == "0" || s == "false" || s == "FALSE" || s == "False");
}

} // namespace

Value::Value() : _type(Type::NONE)
{
    _field.doubleVal = 0;
}

Value::Value(unsigned char v) : Value() { *this = v; }
Value::Value(int v) : Value() { *this = v; }
Value::Value(unsigned int v) : Value() { *this = v; }
Value::Value(float v) : Value() { *this = v; }
Value::Value(double v) : Value() { *this = v; }
Value::Value(bool v) : Value() { *this = v; }
Value::Value(const char* v) : Value() { *this = v; }
Value::Value(const std::string& v) : Value() { *this = v; }
Value::Value(const ValueVector& v) : Value() { *this = v; }
Value::Value(ValueVector&& v) : Value() { *this = std::move(v); }
Value::Value(const ValueMap& v) : Value() { *this = v; }
Value::Value(ValueMap&& v) : Value() { *this = std::move(v); }
Value::Value(const ValueMapIntKey& v) : Value() { *this = v; }
Value::Value(ValueMapIntKey&& v) : Value() { *this = std::move(v); }
Value::Value(const Value& other) : Value() { *this = other; }

Value::Value(Value&& other) noexcept : Value()
{
    *this = std::move(other);
}

Value::~Value() = default;

void Value::reset(Type type)
{
    _string.clear();
    _vector.reset();
    _map.reset();
    _intKeyMap.reset();
    _field.doubleVal = 0;
    _type = type;
}

void Value::clear()
{
    reset(Type::NONE);
}

Value& Value::operator=(const Value& other)
{
    if (this == &other) {
        return *this;
    }
    reset(other._type);
    _field = other._field;
    _string = other._string;
    if (other._vector) {
        _vector.reset(new ValueVector(*other._vector));
    }
    if (other._map) {
        _map.reset(new ValueMap(*other._map));
    }
    if (other._intKeyMap) {
        _intKeyMap.reset(new ValueMapIntKey(*other._intKeyMap));
    }
    return *this;
}

Value& Value::operator=(Value&& other) noexcept
{
    if (this == &other) {
        return *this;
    }
    _type = other._type;
    _field = other._field;
    _string = std::move(other._string);
    _vector = std::move(other._vector);
    _map = std::move(other._map);
    _intKeyMap = std::move(other._intKeyMap);
    other.reset(Type::NONE);
    return *this;
}

Value& Value::operator=(unsigned char v) { reset(Type::BYTE); _field.byteVal = v; return *this; }
Value& Value::operator=(int v) { reset(Type::INTEGER); _field.intVal = v; return *this; }
Value& Value::operator=(unsigned int v) { reset(Type::UNSIGNED); _field.unsignedVal = v; return *this; }
Value& Value::operator=(float v) { reset(Type::FLOAT); _field.floatVal = v; return *this; }
Value& Value::operator=(double v) { reset(Type::DOUBLE); _field.doubleVal = v; return *this; }
Value& Value::operator=(bool v) { reset(Type::BOOLEAN); _field.boolVal = v; return *this; }

Value& Value::operator=(const char* v)
{
    reset(Type::STRING);
    _string = v ? v : "";
    return *this;
}

Value& Value::operator=(const std::string& v)
{
    reset(Type::STRING);
    _string = v;
    return *this;
}

Value& Value::operator=(const ValueVector& v)
{
    ValueVector copy(v); // v may live inside this value
    reset(Type::VECTOR);
    _vector.reset(new ValueVector(std::move(copy)));
    return *this;
}

Value& Value::operator=(ValueVector&& v)
{
    ValueVector taken(std::move(v));
    reset(Type::VECTOR);
    _vector.reset(new ValueVector(std::move(taken)));
    return *this;
}

Value& Value::operator=(const ValueMap& v)
{
    ValueMap copy(v);
    reset(Type::MAP);
    _map.reset(new ValueMap(std::move(copy)));
    return *this;
}

Value& Value::operator=(ValueMap&& v)
{
    ValueMap taken(std::move(v));
    reset(Type::MAP);
    _map.reset(new ValueMap(std::move(taken)));
    return *this;
}

Value& Value::operator=(const ValueMapIntKey& v)
{
    ValueMapIntKey copy(v);
    reset(Type::INT_KEY_MAP);
    _intKeyMap.reset(new ValueMapIntKey(std::move(copy)));
    return *this;
}

Value& Value::operator=(ValueMapIntKey&& v)
{
    ValueMapIntKey taken(std::move(v));
    reset(Type::INT_KEY_MAP);
    _intKeyMap.reset(new ValueMapIntKey(std::move(taken)));
    return *this;
}

bool Value::operator==(const Value& v) const
{
    if (this == &v) {
        return true;
    }
    if (v._type != _type) {
        return false;
    }
    switch (_type) {
    case Type::NONE: return true;
    case Type::BYTE: return _field.byteVal == v._field.byteVal;
    case Type::INTEGER: return _field.intVal == v._field.intVal;
    case Type::UNSIGNED: return _field.unsignedVal == v._field.unsignedVal;
    case Type::FLOAT: return _field.floatVal == v._field.floatVal;
    case Type::DOUBLE: return _field.doubleVal == v._field.doubleVal;
    case Type::BOOLEAN: return _field.boolVal == v._field.boolVal;
    case Type::STRING: return _string == v._string;
    case Type::VECTOR: return *_vector == *v._vector;
    case Type::MAP: return *_map == *v._map;
    case Type::INT_KEY_MAP: return *_intKeyMap == *v._intKeyMap;
    }
    return false;
}

unsigned char Value::asByte() const
{
    return static_cast<unsigned char>(asInt());
}

int Value::asInt() const
{
    switch (_type) {
    case Type::BYTE: return _field.byteVal;
    case Type::INTEGER: return _field.intVal;
    case Type::UNSIGNED: return static_cast<int>(_field.unsignedVal);
    case Type::FLOAT: return std::isfinite(_field.floatVal) ? static_cast<int>(_field.floatVal) : 0;
    case Type::DOUBLE:
        return std::isfinite(_field.doubleVal) && std::fabs(_field.doubleVal) < 2147483648.0
                   ? static_cast<int>(_field.doubleVal)
                   : 0;
    case Type::BOOLEAN: return _field.boolVal ? 1 : 0;
    case Type::STRING: return static_cast<int>(strtol(_string.c_str(), nullptr, 10));
    default: return 0;
    }
}

unsigned int Value::asUnsignedInt() const
{
    switch (_type) {
    case Type::UNSIGNED: return _field.unsignedVal;
    case Type::STRING: return static_cast<unsigned int>(strtoul(_string.c_str(), nullptr, 10));
    case Type::DOUBLE:
        return _field.doubleVal >= 0 && _field.doubleVal < 4294967296.0
                   ? static_cast<unsigned int>(_field.doubleVal)
                   : 0;
    case Type::FLOAT:
        return _field.floatVal >= 0 && _field.floatVal < 4294967296.0f
                   ? static_cast<unsigned int>(_field.floatVal)
                   : 0;
    default: return static_cast<unsigned int>(asInt());
    }
}

float Value::asFloat() const
{
    return static_cast<float>(asDouble());
}

double Value::asDouble() const
{
    switch (_type) {
    case Type::BYTE: return _field.byteVal;
    case Type::INTEGER: return _field.intVal;
    case Type::UNSIGNED: return _field.unsignedVal;
    case Type::FLOAT: return _field.floatVal;
    case Type::DOUBLE: return _field.doubleVal;
    case Type::BOOLEAN: return _field.boolVal ? 1.0 : 0.0;
    case Type::STRING: return strtod(_string.c_str(), nullptr);
    default: return 0.0;
    }
}

bool Value::asBool() const
{
    switch (_type) {
    case Type::BYTE: return _field.byteVal != 0;
    case Type::INTEGER: return _field.intVal != 0;
    case Type::UNSIGNED: return _field.unsignedVal != 0;
    case Type::FLOAT: return _field.floatVal != 0.0f;
    case Type::DOUBLE: return _field.doubleVal != 0.0;
    case Type::BOOLEAN: return _field.boolVal;
    case Type::STRING: return textToBool(_string);
    default: return false;
    }
}

std::string Value::asString() const
{
    switch (_type) {
    case Type::BYTE: return std::to_string(_field.byteVal);
    case Type::INTEGER: return std::to_string(_field.intVal);
    case Type::UNSIGNED: return std::to_string(_field.unsignedVal);
    case Type::FLOAT: return realToText(_field.floatVal, 9);
    case Type::DOUBLE: return realToText(_field.doubleVal, 17);
    case Type::BOOLEAN: return _field.boolVal ? "true" : "false";
    case Type::STRING: return _string;
    default: return std::string();
    }
}

ValueVector& Value::asValueVector()
{
    if (_type != Type::VECTOR) {
        *this = ValueVector();
    }
    return *_vector;
}

const ValueVector& Value::asValueVector() const
{
    return _type == Type::VECTOR ? *_vector : kEmptyVector;
}

ValueMap& Value::asValueMap()
{
    if (_type != Type::MAP) {
        *this = ValueMap();
    }
    return *_map;
}

const ValueMap& Value::asValueMap() const
{
    return _type == Type::MAP ? *_map : kEmptyMap;
}

ValueMapIntKey& Value::asIntKeyMap()
{
    if (_type != Type::INT_KEY_MAP) {
        *this = ValueMapIntKey();
    }
    return *_intKeyMap;
}

const ValueMapIntKey& Value::asIntKeyMap() const
{
    return _type == Type::INT_KEY_MAP ? *_intKeyMap : kEmptyIntKeyMap;
}

namespace {

void describe(const Value& v, int depth, std::ostringstream& out)
{
    std::string indent(static_cast<size_t>(depth) * 2, ' ');
    switch (v.getType()) {
    case Value::Type::VECTOR:
        out << "[\n";
        for (const auto& item : v.asValueVector()) {
            out << indent << "  ";
            describe(item, depth + 1, out);
            out << "\n";
        }
        out << indent << "]";
        break;
    case Value::Type::MAP:
        out << "{\n";
        for (const auto& item : v.asValueMap()) {
            out << indent << "  " << item.first << ": ";
            describe(item.second, depth + 1, out);
            out << "\n";
        }
        out << indent << "}";
        break;
    case Value::Type::INT_KEY_MAP:
        out << "{\n";
        for (const auto& item : v.asIntKeyMap()) {
            out << indent << "  " << item.first << ": ";
            describe(item.second, depth + 1, out);
            out << "\n";
        }
        out << indent << "}";
        break;
    default:
        out << v.asString();
    }
}

} // namespace

std::string Value::getDescription() const
{
    std::ostringstream out;
    describe(*this, 0, out);
    return out.str();
}

} // namespace cocos2d
