#pragma once
// A byte buffer that owns its memory (malloc'd), as file reads return it.

#include <cstddef>
#include <cstdint>
#include <sys/types.h>

namespace cocos2d {

class Data {
public:
    static const Data Null;

    Data();
    Data(const Data& other);
    Data(Data&& other) noexcept;
    ~Data();
    Data& operator=(const Data& other);
    Data& operator=(Data&& other) noexcept;

    unsigned char* getBytes() const { return _bytes; }
    ssize_t getSize() const { return _size; }
    /// Copies size bytes in; false (and empty) when the memory cannot be had.
    bool copy(const unsigned char* bytes, ssize_t size);
    /// Takes ownership of a malloc'd buffer.
    void fastSet(unsigned char* bytes, ssize_t size);
    void clear();
    bool isNull() const { return _bytes == nullptr || _size <= 0; }
    /// Hands the buffer to the caller (who frees it with free) and leaves this empty.
    unsigned char* takeBuffer(ssize_t* size = nullptr);

private:
    unsigned char* _bytes;
    ssize_t _size;
};

} // namespace cocos2d
