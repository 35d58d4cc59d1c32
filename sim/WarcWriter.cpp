#include "sim/WarcWriter.h"

#include "sim/SiteRouter.h"

#include <zlib.h>

#include <array>
#include <cstdint>
#include <cstdio>
#include <stdexcept>

namespace spacesim {

namespace {

constexpr std::size_t kChunkBytes = 4096;

std::uint32_t Rotate(std::uint32_t value, int bits) {
    return (value << bits) | (value >> (32 - bits));
}

std::array<std::uint8_t, 20> Sha1(std::string_view data) {
    std::uint32_t h[5] = {0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    std::string message(data);
    message += static_cast<char>(0x80);
    while (message.size() % 64 != 56) {
        message += '\0';
    }
    const std::uint64_t bits = static_cast<std::uint64_t>(data.size()) * 8;
    for (int shift = 56; shift >= 0; shift -= 8) {
        message += static_cast<char>(bits >> shift);
    }
    for (std::size_t block = 0; block < message.size(); block += 64) {
        std::uint32_t w[80];
        for (int i = 0; i < 16; ++i) {
            w[i] = 0;
            for (int b = 0; b < 4; ++b) {
                w[i] = (w[i] << 8) | static_cast<std::uint8_t>(message[block + i * 4 + b]);
            }
        }
        for (int i = 16; i < 80; ++i) {
            w[i] = Rotate(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
        }
        std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
        for (int i = 0; i < 80; ++i) {
            const std::uint32_t f = i < 20   ? ((b & c) | (~b & d)) + 0x5A827999
                                    : i < 40 ? (b ^ c ^ d) + 0x6ED9EBA1
                                    : i < 60 ? ((b & c) | (b & d) | (c & d)) + 0x8F1BBCDC
                                             : (b ^ c ^ d) + 0xCA62C1D6;
            const std::uint32_t next = Rotate(a, 5) + f + e + w[i];
            e = d;
            d = c;
            c = Rotate(b, 30);
            b = a;
            a = next;
        }
        h[0] += a, h[1] += b, h[2] += c, h[3] += d, h[4] += e;
    }
    std::array<std::uint8_t, 20> digest{};
    for (int i = 0; i < 20; ++i) {
        digest[i] = static_cast<std::uint8_t>(h[i / 4] >> (24 - 8 * (i % 4)));
    }
    return digest;
}

std::string Base32(const std::array<std::uint8_t, 20>& bytes) {
    constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ234567";
    std::string text;
    std::uint32_t buffer = 0;
    int held = 0;
    for (const std::uint8_t byte : bytes) {
        buffer = (buffer << 8) | byte;
        for (held += 8; held >= 5; held -= 5) {
            text += kAlphabet[(buffer >> (held - 5)) & 31];
        }
    }
    return text;
}

// "2012-01-01T00:00:00Z" from "20120101000000".
std::string WarcDate(std::string_view time) {
    const std::string t(time);
    return t.substr(0, 4) + "-" + t.substr(4, 2) + "-" + t.substr(6, 2) + "T" + t.substr(8, 2) +
           ":" + t.substr(10, 2) + ":" + t.substr(12, 2) + "Z";
}

std::uint64_t Fnv(std::string_view text, std::uint64_t hash) {
    for (const char c : text) {
        hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ULL;
    }
    return hash;
}

std::string RecordId(std::string_view seed) {
    const std::uint64_t high = Fnv(seed, 1469598103934665603ULL);
    const std::uint64_t low = Fnv(seed, high);
    char text[64];
    std::snprintf(text, sizeof text, "<urn:uuid:%08x-%04x-%04x-%04x-%012llx>",
                  static_cast<unsigned>(high >> 32), static_cast<unsigned>(high >> 16 & 0xFFFF),
                  static_cast<unsigned>(high & 0x0FFF) | 0x4000,
                  static_cast<unsigned>(low >> 48 & 0x3FFF) | 0x8000,
                  static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFULL));
    return text;
}

std::string Gzipped(const std::string& bytes) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 16 + MAX_WBITS, 8,
                     Z_DEFAULT_STRATEGY) != Z_OK) {
        throw std::runtime_error("zlib cannot compress");
    }
    std::string out(deflateBound(&stream, bytes.size()) + 32, '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(out.size() - stream.avail_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) {
        throw std::runtime_error("zlib cannot compress");
    }
    return out;
}

std::string Reason(int status) {
    switch (status) {
        case 200:
            return "OK";
        case 302:
            return "Found";
        case 404:
            return "Not Found";
        case 502:
            return "Bad Gateway";
        default:
            return "Status " + std::to_string(status);
    }
}

std::string HeadOf(const std::string& httpMessage) {
    const std::size_t end = httpMessage.find("\r\n\r\n");
    return end == std::string::npos ? httpMessage : httpMessage.substr(0, end + 4);
}

}  // namespace

WarcWriter::WarcWriter(std::ostream& out, bool compressed) : out_(out), compressed_(compressed) {}

void WarcWriter::Info(std::string_view software, std::string_view time) {
    Write("warcinfo", {}, time, {}, "application/warc-fields",
          "software: " + std::string(software) + "\r\nformat: WARC File Format 1.1\r\n");
}

std::string WarcWriter::Response(std::string_view address, std::string_view time,
                                 const std::string& httpMessage, std::string_view payload) {
    return Write("response", address, time, "WARC-Payload-Digest: " + PayloadDigest(payload),
                 "application/http; msgtype=response", httpMessage);
}

void WarcWriter::Revisit(std::string_view address, std::string_view time,
                         const std::string& httpMessage, std::string_view payload,
                         const std::string& originalId, std::string_view originalTime) {
    std::string fields;
    if (!originalId.empty()) {
        fields = "WARC-Refers-To: " + originalId +
                 "\r\nWARC-Refers-To-Target-URI: " + std::string(address) +
                 "\r\nWARC-Refers-To-Date: " + WarcDate(originalTime) + "\r\n";
    }
    fields +=
        "WARC-Profile: http://netpreserve.org/warc/1.1/revisit/identical-payload-digest"
        "\r\nWARC-Payload-Digest: " +
        PayloadDigest(payload) + "\r\nWARC-Truncated: length";
    Write("revisit", address, time, fields, "application/http; msgtype=response",
          HeadOf(httpMessage));
}

void WarcWriter::Resource(std::string_view address, std::string_view time,
                          std::string_view contentType, const std::string& bytes) {
    Write("resource", address, time, "WARC-Payload-Digest: " + PayloadDigest(bytes), contentType,
          bytes);
}

std::string WarcWriter::Write(std::string_view type, std::string_view address,
                              std::string_view time, std::string fields,
                              std::string_view contentType, const std::string& block) {
    const std::string id = RecordId(std::string(type) + " " + std::string(address) + " " +
                                    std::string(time) + " " + std::to_string(records_));
    std::string record = "WARC/1.1\r\nWARC-Type: " + std::string(type) + "\r\n";
    if (!address.empty()) {
        record += "WARC-Target-URI: " + std::string(address) + "\r\n";
    }
    record += "WARC-Date: " + WarcDate(time) + "\r\nWARC-Record-ID: " + id + "\r\n";
    if (!fields.empty()) {
        record += fields + "\r\n";
    }
    record += "Content-Type: " + std::string(contentType) +
              "\r\nContent-Length: " + std::to_string(block.size()) + "\r\n\r\n";
    record += block;
    record += "\r\n\r\n";
    out_ << (compressed_ ? Gzipped(record) : record);
    ++records_;
    return id;
}

std::string HttpMessage(const Reply& reply, const std::string& body) {
    std::string message = "HTTP/1.1 " + std::to_string(reply.status) + " " + Reason(reply.status) +
                          "\r\nContent-Type: " + reply.contentType + "\r\n";
    if (!reply.location.empty()) {
        message += "Location: " + reply.location + "\r\n";
    }
    if (reply.delivery != SongDelivery::Chunked) {
        return message + "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
    }
    message += "Transfer-Encoding: chunked\r\n\r\n";
    for (std::size_t at = 0; at < body.size(); at += kChunkBytes) {
        const std::size_t size = std::min(kChunkBytes, body.size() - at);
        char line[32];
        std::snprintf(line, sizeof line, "%zx\r\n", size);
        message += line + body.substr(at, size) + "\r\n";
    }
    return message + "0\r\n\r\n";
}

std::string PayloadDigest(std::string_view body) {
    return "sha1:" + Base32(Sha1(body));
}

}  // namespace spacesim
