// A part compressed before it goes into the archive: raw deflate data made
// with libdeflate, its CRC-32 and sizes. libzip takes it as a source that
// reports itself already deflated and copies it into the entry unchanged.
#pragma once

#include <zip.h>

#include <cstdint>
#include <memory>
#include <string>

struct libdeflate_compressor;

class CXlsxDeflater
{
public:
    explicit CXlsxDeflater(int level); // 1 fastest .. 12 smallest
    ~CXlsxDeflater();
    CXlsxDeflater(const CXlsxDeflater&) = delete;
    CXlsxDeflater& operator=(const CXlsxDeflater&) = delete;

    bool IsReady() const { return m_compressor != nullptr; }
    libdeflate_compressor* Get() const { return m_compressor; }

private:
    libdeflate_compressor* m_compressor;
};

class CXlsxDeflated
{
public:
    CXlsxDeflated();
    ~CXlsxDeflated();
    CXlsxDeflated(const CXlsxDeflated&) = delete;
    CXlsxDeflated& operator=(const CXlsxDeflated&) = delete;

    // Compresses data; false when the compressor has no room (cannot happen
    // with the bound it is given) or memory runs out.
    bool Compress(const CXlsxDeflater& deflater, const std::string& data);

    // A libzip source over the compressed bytes; this object must outlive
    // the archive's zip_close. Null with the archive's error set on failure.
    zip_source_t* MakeSource(zip_t* archive);

private:
    static zip_int64_t Callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command);

    std::unique_ptr<unsigned char[]> m_data;
    size_t m_length = 0;        // compressed bytes in m_data
    std::uint64_t m_size = 0;   // uncompressed
    std::uint32_t m_crc = 0;
    size_t m_read = 0;
    zip_error_t m_error;
};
