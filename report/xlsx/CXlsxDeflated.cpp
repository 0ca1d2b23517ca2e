#include "CXlsxDeflated.h"

#include <libdeflate.h>

#include <cstring>

CXlsxDeflater::CXlsxDeflater(int level) : m_compressor(libdeflate_alloc_compressor(level)) {}

CXlsxDeflater::~CXlsxDeflater()
{
    if (m_compressor)
        libdeflate_free_compressor(m_compressor);
}

CXlsxDeflated::CXlsxDeflated()
{
    zip_error_init(&m_error);
}

CXlsxDeflated::~CXlsxDeflated()
{
    zip_error_fini(&m_error);
}

bool CXlsxDeflated::Compress(const CXlsxDeflater& deflater, const std::string& data)
{
    m_size = data.size();
    m_crc = static_cast<std::uint32_t>(libdeflate_crc32(0, data.data(), data.size()));
    // Left uninitialised: only the pages written are ever touched.
    size_t bound = libdeflate_deflate_compress_bound(deflater.Get(), data.size());
    std::unique_ptr<unsigned char[]> buffer(new unsigned char[bound]);
    m_length = libdeflate_deflate_compress(deflater.Get(), data.data(), data.size(), buffer.get(), bound);
    m_data = std::move(buffer);
    return m_length != 0;
}

zip_source_t* CXlsxDeflated::MakeSource(zip_t* archive)
{
    m_read = 0;
    return zip_source_function(archive, &CXlsxDeflated::Callback, this);
}

zip_int64_t CXlsxDeflated::Callback(void* self, void* data, zip_uint64_t length, zip_source_cmd_t command)
{
    CXlsxDeflated& d = *static_cast<CXlsxDeflated*>(self);
    switch (command) {
    case ZIP_SOURCE_OPEN:
        d.m_read = 0;
        return 0;
    case ZIP_SOURCE_READ: {
        size_t n = d.m_length - d.m_read;
        if (n > length)
            n = static_cast<size_t>(length);
        std::memcpy(data, d.m_data.get() + d.m_read, n);
        d.m_read += n;
        return static_cast<zip_int64_t>(n);
    }
    case ZIP_SOURCE_CLOSE:
        return 0;
    case ZIP_SOURCE_STAT: {
        if (length < sizeof(zip_stat_t)) {
            zip_error_set(&d.m_error, ZIP_ER_INVAL, 0);
            return -1;
        }
        zip_stat_t* st = static_cast<zip_stat_t*>(data);
        zip_stat_init(st);
        st->size = d.m_size;
        st->comp_size = d.m_length;
        st->comp_method = ZIP_CM_DEFLATE;
        st->crc = d.m_crc;
        st->encryption_method = ZIP_EM_NONE;
        st->valid = ZIP_STAT_SIZE | ZIP_STAT_COMP_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_CRC | ZIP_STAT_ENCRYPTION_METHOD;
        return sizeof(zip_stat_t);
    }
    case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&d.m_error, data, length);
    case ZIP_SOURCE_FREE:
        return 0; // the owner frees the data
    case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_READABLE;
    default:
        zip_error_set(&d.m_error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
}
