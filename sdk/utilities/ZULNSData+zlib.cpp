#include "sdk/utilities/ZULNSData+zlib.hpp"

#include "platform/foundation/Exception.hpp"
#include "platform/foundation/Format.hpp"
#include "platform/foundation/Number.hpp"
#include "platform/foundation/String.hpp"

#include <zlib.h>

#include <array>
#include <limits>

namespace {

using foundation::Data;
using foundation::Dictionary;
using foundation::Error;
using foundation::Number;

constexpr std::size_t chunkSize = 1024;
constexpr std::uint64_t largestCount = std::numeric_limits<std::uint32_t>::max();
// A 15-bit window with a gzip header and trailer; plus 16 more, automatic header detection.
constexpr int gzipWindowBits = 31;
constexpr int detectingWindowBits = 47;
constexpr int memoryLevel = 8;

void setError(std::shared_ptr<Error>* error, std::int64_t code, std::shared_ptr<Dictionary> userInfo) {
    if (error) *error = Error::make(ZULNSDataZlibErrorDomain, code, std::move(userInfo));
}

std::shared_ptr<Dictionary> zlibStatusInfo(int status) {
    auto userInfo = Dictionary::make();
    userInfo->setObject(Number::withInteger(status), ZULNSDataZlibErrorKey);
    return userInfo;
}

// Ends the stream whatever way the coding leaves.
template <int (*End)(z_stream*)>
class StreamEnd {
public:
    explicit StreamEnd(z_stream& stream) : stream_(stream) {}
    StreamEnd(const StreamEnd&) = delete;
    StreamEnd& operator=(const StreamEnd&) = delete;
    ~StreamEnd() { End(&stream_); }

private:
    z_stream& stream_;
};

void giveInput(z_stream& stream, const Data& data) {
    // zlib does not write to its input.
    stream.next_in = const_cast<Bytef*>(data.bytes().data());
    stream.avail_in = static_cast<uInt>(data.length());
}

}  // namespace

std::shared_ptr<Data> zul_dataByGzippingData(const std::shared_ptr<Data>& data, std::shared_ptr<Error>* error) {
    if (!data || data->length() == 0) return nullptr;
    if (data->length() > largestCount) {
        setError(error, ZULNSDataZlibErrorGreaterThan32BitsToCompress, nullptr);
        return nullptr;
    }

    z_stream stream{};
    int status = deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, gzipWindowBits, memoryLevel,
                              Z_DEFAULT_STRATEGY);
    if (status != Z_OK) {
        setError(error, ZULNSDataZlibErrorInternal, zlibStatusInfo(status));
        return nullptr;
    }
    StreamEnd<deflateEnd> end(stream);

    std::vector<std::uint8_t> output;
    output.reserve(data->length() / 4);
    giveInput(stream, *data);
    std::array<Bytef, chunkSize> chunk;
    do {
        stream.next_out = chunk.data();
        stream.avail_out = chunk.size();
        status = deflate(&stream, Z_FINISH);
        if (status != Z_OK && status != Z_STREAM_END) {
            setError(error, ZULNSDataZlibErrorInternal, zlibStatusInfo(status));
            return nullptr;
        }
        output.insert(output.end(), chunk.data(), chunk.data() + (chunk.size() - stream.avail_out));
    } while (status != Z_STREAM_END);

    if (stream.avail_in != 0)
        foundation::Exception::raise(
            foundation::NSInternalInconsistencyException,
            foundation::format("Should have finished deflating without using all input, %u bytes left", stream.avail_in));
    return Data::make(std::move(output));
}

std::shared_ptr<Data> zul_dataByInflatingGzippedData(const std::shared_ptr<Data>& data,
                                                     std::shared_ptr<Error>* error) {
    if (!data || data->length() == 0 || data->length() > largestCount) return nullptr;

    z_stream stream{};
    int status = inflateInit2(&stream, detectingWindowBits);
    if (status != Z_OK) {
        setError(error, ZULNSDataZlibErrorInternal, zlibStatusInfo(status));
        return nullptr;
    }
    StreamEnd<inflateEnd> end(stream);

    std::vector<std::uint8_t> output;
    output.reserve(data->length() * 4);
    giveInput(stream, *data);
    std::array<Bytef, chunkSize> chunk;
    do {
        stream.next_out = chunk.data();
        stream.avail_out = chunk.size();
        status = inflate(&stream, Z_NO_FLUSH);
        output.insert(output.end(), chunk.data(), chunk.data() + (chunk.size() - stream.avail_out));
        if (status != Z_OK && status != Z_STREAM_END) {
            auto userInfo = zlibStatusInfo(status);
            if (stream.msg)
                userInfo->setObject(foundation::String::make(stream.msg), foundation::NSLocalizedDescriptionKey);
            setError(error, ZULNSDataZlibErrorInternal, std::move(userInfo));
            return nullptr;
        }
    } while (status != Z_STREAM_END);

    if (stream.avail_in != 0) {
        auto userInfo = Dictionary::make();
        userInfo->setObject(Number::withUnsigned(stream.avail_in), ZULNSDataZlibRemainingBytesKey);
        setError(error, ZULNSDataZlibErrorDataRemaining, std::move(userInfo));
        return nullptr;
    }
    return Data::make(std::move(output));
}
