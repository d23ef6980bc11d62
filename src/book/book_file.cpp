// Reading and writing `bibli.bok` byte by byte in little-endian order, whatever the machine's
// own order, so that a book moves between machines unchanged. A read either returns every
// record the count announces or none.
#include "book/book_file.h"

#include <cstdio>
#include <cstdlib>

#include "platform/atomic_file.h"

namespace {

constexpr size_t RECORD_BYTES = sizeof(BookRecord);

uint32_t get_le32(const unsigned char* b)
{
    return uint32_t{b[0]} | uint32_t{b[1]} << 8 | uint32_t{b[2]} << 16 | uint32_t{b[3]} << 24;
}

void put_le32(unsigned char* b, uint32_t v)
{
    for (int i = 0; i < 4; ++i) b[i] = static_cast<unsigned char>(v >> (8 * i));
}

BookRecord decode_record(const unsigned char* b)
{
    const uint32_t last = get_le32(b + 12);
    return BookRecord{get_le32(b), get_le32(b + 4), get_le32(b + 8),
                      static_cast<int16_t>(last & 0xffff), static_cast<uint16_t>(last >> 16)};
}

void encode_record(const BookRecord& r, unsigned char* b)
{
    put_le32(b, r.key0);
    put_le32(b + 4, r.key1);
    put_le32(b + 8, r.key2);
    put_le32(b + 12, static_cast<uint16_t>(r.score) | uint32_t{r.attrait} << 16);
}

void read_records(std::FILE* f, BookFileContents* c)
{
    c->records = static_cast<BookRecord*>(std::malloc(size_t(c->count) * RECORD_BYTES));
    if (c->records == nullptr) {
        c->status = BookFileStatus::NO_MEMORY;
        return;
    }
    unsigned char b[RECORD_BYTES];
    for (int32_t i = 0; i < c->count; ++i) {
        const size_t got = std::fread(b, 1, RECORD_BYTES, f);
        c->bytes += static_cast<int64_t>(got);
        if (got != RECORD_BYTES) {
            std::free(c->records);
            c->records = nullptr;
            c->status = BookFileStatus::SHORT_FILE;
            return;
        }
        c->records[i] = decode_record(b);
    }
    c->status = BookFileStatus::OK;
}

}  // namespace

BookFileContents read_book_file(const char* path)
{
    BookFileContents c;
    std::FILE* f = std::fopen(path, "rb");
    if (f == nullptr) return c;
    unsigned char b[4] = {0, 0, 0, 0};
    const size_t got = std::fread(b, 1, sizeof b, f);
    c.bytes = static_cast<int64_t>(got);
    c.count = static_cast<int32_t>(get_le32(b));
    if (got != sizeof b)
        c.status = BookFileStatus::SHORT_FILE;
    else if (c.count < 1 || c.count > BOOK_MAX_RECORDS)
        c.status = BookFileStatus::BAD_COUNT;
    else
        read_records(f, &c);
    std::fclose(f);
    return c;
}

void print_book_file_error(const BookFileContents& c)
{
    switch (c.status) {
        case BookFileStatus::BAD_COUNT:
            std::printf("Nombre de positions invalide : %d\n", c.count);
            break;
        case BookFileStatus::SHORT_FILE:
            std::printf("Fichier <%s> trop court (%lld octets)\n", BOOK_FILE_NAME,
                        static_cast<long long>(c.bytes));
            break;
        case BookFileStatus::NO_MEMORY:
            std::printf("Pas assez de memoire\n");
            break;
        default:
            break;
    }
}

bool write_book_file(const char* path, const BookRecord* records, int32_t count)
{
    AtomicFile f;
    if (!atomic_open(&f, path)) return false;
    unsigned char b[RECORD_BYTES];
    put_le32(b, static_cast<uint32_t>(count));
    bool ok = std::fwrite(b, 1, 4, f.stream) == 4;
    for (int32_t i = 0; ok && i < count; ++i) {
        encode_record(records[i], b);
        ok = std::fwrite(b, 1, RECORD_BYTES, f.stream) == RECORD_BYTES;
    }
    if (!ok) {
        atomic_discard(&f);
        return false;
    }
    return atomic_commit(&f);
}
