#pragma once
// An ordered list of reference-counted objects that holds one reference to each element.

#include <algorithm>
#include <functional>
#include <initializer_list>
#include <type_traits>
#include <vector>

#include <sys/types.h>

#include "base/Ref.h"

namespace cocos2d {

template <class T>
class Vector {
public:
    using iterator = typename std::vector<T>::iterator;
    using const_iterator = typename std::vector<T>::const_iterator;
    using reverse_iterator = typename std::vector<T>::reverse_iterator;
    using const_reverse_iterator = typename std::vector<T>::const_reverse_iterator;

    Vector() = default;
    explicit Vector(ssize_t capacity) { reserve(capacity); }
    Vector(std::initializer_list<T> list)
    {
        for (T obj : list) pushBack(obj);
    }
    Vector(const Vector& other) : _data(other._data) { addRefForAll(); }
    Vector(Vector&& other) noexcept : _data(std::move(other._data)) { other._data.clear(); }
    ~Vector() { clear(); }

    Vector& operator=(const Vector& other)
    {
        if (this != &other) {
            std::vector<T> old = _data;
            _data = other._data;
            addRefForAll();
            for (T obj : old) obj->release();
        }
        return *this;
    }
    Vector& operator=(Vector&& other) noexcept
    {
        if (this != &other) {
            clear();
            _data = std::move(other._data);
            other._data.clear();
        }
        return *this;
    }

    iterator begin() { return _data.begin(); }
    const_iterator begin() const { return _data.begin(); }
    iterator end() { return _data.end(); }
    const_iterator end() const { return _data.end(); }
    const_iterator cbegin() const { return _data.cbegin(); }
    const_iterator cend() const { return _data.cend(); }
    reverse_iterator rbegin() { return _data.rbegin(); }
    const_reverse_iterator rbegin() const { return _data.rbegin(); }
    reverse_iterator rend() { return _data.rend(); }
    const_reverse_iterator rend() const { return _data.rend(); }

    void reserve(ssize_t n) { if (n > 0) _data.reserve(static_cast<size_t>(n)); }
    ssize_t capacity() const { return static_cast<ssize_t>(_data.capacity()); }
    ssize_t size() const { return static_cast<ssize_t>(_data.size()); }
    bool empty() const { return _data.empty(); }
    ssize_t max_size() const { return static_cast<ssize_t>(_data.max_size()); }

    /// Index of the object, or -1.
    ssize_t getIndex(T object) const
    {
        auto it = std::find(_data.begin(), _data.end(), object);
        return it == _data.end() ? -1 : static_cast<ssize_t>(it - _data.begin());
    }
    const_iterator find(T object) const { return std::find(_data.begin(), _data.end(), object); }
    iterator find(T object) { return std::find(_data.begin(), _data.end(), object); }
    T at(ssize_t index) const { return _data[static_cast<size_t>(index)]; }
    T front() const { return _data.front(); }
    T back() const { return _data.back(); }
    bool contains(T object) const { return find(object) != _data.end(); }
    bool equals(const Vector& other) const { return _data == other._data; }

    void pushBack(T object)
    {
        if (!object) return;
        _data.push_back(object);
        object->retain();
    }
    void pushBack(const Vector<T>& other)
    {
        std::vector<T> items = other._data; // other may be this
        for (T obj : items) pushBack(obj);
    }
    void insert(ssize_t index, T object)
    {
        if (!object || index < 0 || index > size()) return;
        _data.insert(_data.begin() + index, object);
        object->retain();
    }
    void popBack()
    {
        if (_data.empty()) return;
        T last = _data.back();
        _data.pop_back();
        last->release();
    }
    /// Removes the first (or every) occurrence of the object.
    void eraseObject(T object, bool removeAll = false)
    {
        for (auto it = _data.begin(); it != _data.end();) {
            if (*it == object) {
                it = _data.erase(it);
                object->release();
                if (!removeAll) break;
            } else {
                ++it;
            }
        }
    }
    iterator erase(iterator position)
    {
        T obj = *position;
        auto next = _data.erase(position);
        obj->release();
        return next;
    }
    iterator erase(ssize_t index)
    {
        if (index < 0 || index >= size()) return _data.end();
        return erase(_data.begin() + index);
    }
    void clear()
    {
        std::vector<T> old;
        old.swap(_data);
        for (T obj : old) obj->release();
    }
    void swap(T object1, T object2)
    {
        ssize_t i1 = getIndex(object1), i2 = getIndex(object2);
        if (i1 >= 0 && i2 >= 0) std::swap(_data[static_cast<size_t>(i1)], _data[static_cast<size_t>(i2)]);
    }
    void swap(ssize_t index1, ssize_t index2)
    {
        if (index1 >= 0 && index2 >= 0 && index1 < size() && index2 < size())
            std::swap(_data[static_cast<size_t>(index1)], _data[static_cast<size_t>(index2)]);
    }
    void replace(ssize_t index, T object)
    {
        if (!object || index < 0 || index >= size()) return;
        object->retain();
        _data[static_cast<size_t>(index)]->release();
        _data[static_cast<size_t>(index)] = object;
    }
    void reverse() { std::reverse(_data.begin(), _data.end()); }
    void shrinkToFit() { _data.shrink_to_fit(); }

    const std::vector<T>& getData() const { return _data; }

private:
    void addRefForAll()
    {
        for (T obj : _data) obj->retain();
    }

    std::vector<T> _data;
};

} // namespace cocos2d
