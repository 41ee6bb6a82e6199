#include "platform/cms.h"

#include "platform/atomic_file.h"
#include "platform/big_endian.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <map>
#include <set>
#include <utility>
#include <lcms2.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace cms {

namespace {

constexpr std::size_t header_bytes = 128;
constexpr uint32_t acsp = 0x61637370u;
// Far above any real profile (Little CMS itself reads at most 100 tags).
constexpr uint64_t max_tags = 4096;

double s15(const uint8_t *p) { return double(int32_t(load_be32(p))) / 65536.0; }

bool read_whole_file(const std::string &path, std::vector<uint8_t> *out, Status *status)
{
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        *status = Status::io_error;
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        *status = Status::io_error;
        return false;
    }
    if (uint64_t(st.st_size) > max_profile_bytes) {
        ::close(fd);
        *status = Status::too_large;
        return false;
    }
    out->resize(std::size_t(st.st_size));
    std::size_t done = 0;
    while (done < out->size()) {
        const ssize_t n = ::read(fd, out->data() + done, out->size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += std::size_t(n);
    }
    ::close(fd);
    out->resize(done);
    return true;
}

}  // namespace

const char *status_text(Status s)
{
    switch (s) {
    case Status::ok: return "ok";
    case Status::empty: return "no profile data";
    case Status::too_small: return "data shorter than a profile header";
    case Status::bad_signature: return "no profile signature 'acsp'";
    case Status::bad_size: return "profile size in the header does not match the data";
    case Status::bad_tag_table: return "tag table does not fit in the profile";
    case Status::bad_tag_bounds: return "tag data lies outside the profile";
    case Status::too_large: return "profile too large";
    case Status::io_error: return "file cannot be read or written";
    case Status::no_tag: return "no such tag";
    case Status::buffer_too_small: return "buffer smaller than the tag";
    case Status::read_only: return "profile opened read-only";
    case Status::not_open: return "profile not open";
    case Status::bad_argument: return "bad argument";
    }
    return "unknown";
}

bool parse_header(const uint8_t *b, std::size_t size, Header *h)
{
    if (!b || size < header_bytes || !h)
        return false;
    h->size = load_be32(b);
    h->cmm = load_be32(b + 4);
    h->version = load_be32(b + 8);
    h->device_class = load_be32(b + 12);
    h->colour_space = load_be32(b + 16);
    h->connection_space = load_be32(b + 20);
    h->created.year = load_be16(b + 24);
    h->created.month = load_be16(b + 26);
    h->created.day = load_be16(b + 28);
    h->created.hours = load_be16(b + 30);
    h->created.minutes = load_be16(b + 32);
    h->created.seconds = load_be16(b + 34);
    h->platform = load_be32(b + 40);
    h->flags = load_be32(b + 44);
    h->manufacturer = load_be32(b + 48);
    h->model = load_be32(b + 52);
    h->attributes = (uint64_t(load_be32(b + 56)) << 32) | load_be32(b + 60);
    h->rendering_intent = load_be32(b + 64);
    h->illuminant[0] = s15(b + 68);
    h->illuminant[1] = s15(b + 72);
    h->illuminant[2] = s15(b + 76);
    h->creator = load_be32(b + 80);
    std::memcpy(h->profile_id, b + 84, 16);
    return true;
}

Status Profile::check(const uint8_t *b, std::size_t size, std::vector<Tag> *tags, Header *header)
{
    if (!b || size == 0)
        return Status::empty;
    if (size > max_profile_bytes)
        return Status::too_large;
    if (size < header_bytes + 4)
        return Status::too_small;
    if (load_be32(b + 36) != acsp)
        return Status::bad_signature;
    const uint32_t declared = load_be32(b);
    // Trailing bytes beyond the declared size are ignored; a declared size
    // beyond the data means a truncated profile.
    if (declared < header_bytes + 4 || declared > size)
        return Status::bad_size;
    const uint64_t count = load_be32(b + 128);
    const uint64_t table_end = header_bytes + 4 + count * 12u;
    if (table_end > declared)
        return Status::bad_tag_table;
    // A profile may name one span for several tags; distinct spans together
    // may not hold much more than the profile itself, so that a table of
    // overlapping spans cannot make us copy the data many times over.
    if (count > max_tags)
        return Status::bad_tag_table;
    tags->clear();
    tags->reserve(std::size_t(count));
    std::map<std::pair<uint32_t, uint32_t>, int> spans;  // (offset, size) -> tag index
    std::set<uint32_t> seen;
    uint64_t copied = 0;
    for (uint64_t i = 0; i < count; ++i) {
        const uint8_t *e = b + header_bytes + 4 + i * 12u;
        const uint32_t sig = load_be32(e);
        const uint32_t offset = load_be32(e + 4);
        const uint32_t length = load_be32(e + 8);
        if (offset < table_end || uint64_t(offset) + length > declared)
            return Status::bad_tag_bounds;
        if (!seen.insert(sig).second)
            continue;  // the first entry of a signature counts
        Tag tag;
        tag.sig = sig;
        tag.shared_with = -1;
        const auto key = std::make_pair(offset, length);
        const auto it = spans.find(key);
        if (it != spans.end()) {
            tag.shared_with = it->second;  // reads go to the first tag of the span
        } else {
            copied += length;
            if (copied > 2u * uint64_t(declared))
                return Status::bad_tag_bounds;
            tag.data.assign(b + offset, b + offset + length);
            spans.emplace(key, int(tags->size()));
        }
        tags->push_back(std::move(tag));
    }
    parse_header(b, size, header);
    return Status::ok;
}

std::unique_ptr<Profile> Profile::open_memory(const uint8_t *bytes, std::size_t size,
                                              Access access, Status *status)
{
    Status local;
    Status &st = status ? *status : local;
    std::unique_ptr<Profile> p(new Profile);
    st = check(bytes, size, &p->tags_, &p->header_);
    if (st != Status::ok)
        return nullptr;
    p->access_ = access;
    p->bytes_.assign(bytes, bytes + p->header_.size);
    return p;
}

std::unique_ptr<Profile> Profile::open_file(const std::string &path, Access access,
                                            Status *status)
{
    Status local;
    Status &st = status ? *status : local;
    if (path.empty()) {
        st = Status::bad_argument;
        return nullptr;
    }
    std::vector<uint8_t> bytes;
    if (!read_whole_file(path, &bytes, &st))
        return nullptr;
    std::unique_ptr<Profile> p = open_memory(bytes.data(), bytes.size(), access, &st);
    if (p)
        p->path_ = path;
    return p;
}

Profile::~Profile() = default;

std::vector<uint32_t> Profile::tags() const
{
    std::vector<uint32_t> out;
    for (const Tag &t : tags_)
        out.push_back(t.sig);
    return out;
}

Profile::Tag *Profile::find(uint32_t tag)
{
    for (Tag &t : tags_)
        if (t.sig == tag)
            return &t;
    return nullptr;
}

const Profile::Tag *Profile::find(uint32_t tag) const
{
    for (const Tag &t : tags_)
        if (t.sig == tag)
            return &t;
    return nullptr;
}

bool Profile::has_tag(uint32_t tag) const { return find(tag) != nullptr; }

bool Profile::element_size(uint32_t tag, uint32_t *size) const
{
    const Tag *t = find(tag);
    if (!t)
        return false;
    if (size)
        *size = uint32_t(data_of(*t).size());
    return true;
}

Status Profile::read_element(uint32_t tag, void *buffer, uint32_t *size) const
{
    if (!size)
        return Status::bad_argument;
    const Tag *t = find(tag);
    if (!t)
        return Status::no_tag;
    const std::vector<uint8_t> &data = data_of(*t);
    const uint32_t need = uint32_t(data.size());
    const uint32_t capacity = *size;
    *size = need;
    if (capacity < need || (!buffer && need))
        return Status::buffer_too_small;
    if (need)
        std::memcpy(buffer, data.data(), need);
    return Status::ok;
}

const std::vector<uint8_t> &Profile::data_of(const Tag &t) const
{
    return t.shared_with >= 0 ? tags_[std::size_t(t.shared_with)].data : t.data;
}

void Profile::unshare(std::size_t index)
{
    Tag &t = tags_[index];
    if (t.shared_with >= 0) {
        // A tag that shared another's span takes its own copy.
        t.data = tags_[std::size_t(t.shared_with)].data;
        t.shared_with = -1;
        return;
    }
    // Tags that shared this one's span take the next of them as their anchor.
    int anchor = -1;
    for (std::size_t k = index + 1; k < tags_.size(); ++k) {
        if (tags_[k].shared_with != int(index))
            continue;
        if (anchor < 0) {
            anchor = int(k);
            tags_[k].shared_with = -1;
            tags_[k].data = t.data;
        } else {
            tags_[k].shared_with = anchor;
        }
    }
}

Status Profile::set_element_size(uint32_t tag, uint32_t size)
{
    if (access_ != Access::read_write)
        return Status::read_only;
    if (size > max_profile_bytes)
        return Status::bad_argument;
    Tag *t = find(tag);
    if (t && data_of(*t).size() == size)
        return Status::ok;
    std::vector<Tag> before = tags_;
    if (!t) {
        tags_.push_back(Tag{tag, std::vector<uint8_t>(size, 0), -1});
    } else {
        unshare(std::size_t(t - tags_.data()));
        t->data.resize(size, 0);
    }
    const Status st = commit();
    if (st != Status::ok)
        tags_.swap(before);  // a failed write changes nothing
    return st;
}

Status Profile::set_element(uint32_t tag, uint32_t offset, uint32_t size, const void *bytes)
{
    if (access_ != Access::read_write)
        return Status::read_only;
    if (size && !bytes)
        return Status::bad_argument;
    Tag *t = find(tag);
    if (!t)
        return Status::no_tag;
    const uint64_t end = uint64_t(offset) + size;
    if (end > max_profile_bytes)
        return Status::bad_argument;
    std::vector<Tag> before = tags_;
    const std::size_t index = std::size_t(t - tags_.data());
    unshare(index);
    if (end > t->data.size())
        t->data.resize(std::size_t(end), 0);
    if (size)
        std::memcpy(t->data.data() + offset, bytes, size);
    const Status st = commit();
    if (st != Status::ok)
        tags_.swap(before);  // a failed write changes nothing
    return st;
}

Status Profile::commit()
{
    // Measure: header, table, then each unshared element on a 4-byte boundary.
    const uint64_t table_end = header_bytes + 4 + uint64_t(tags_.size()) * 12u;
    std::vector<uint32_t> offsets(tags_.size(), 0);
    uint64_t pos = table_end;
    for (std::size_t i = 0; i < tags_.size(); ++i) {
        if (tags_[i].shared_with >= 0) {
            offsets[i] = offsets[std::size_t(tags_[i].shared_with)];
            continue;
        }
        pos = (pos + 3u) & ~uint64_t(3u);
        offsets[i] = uint32_t(pos);
        pos += tags_[i].data.size();
    }
    const uint64_t total = (pos + 3u) & ~uint64_t(3u);
    if (total > max_profile_bytes)
        return Status::too_large;

    std::vector<uint8_t> out(std::size_t(total), 0);
    std::memcpy(out.data(), bytes_.data(), header_bytes);
    store_be32(out.data(), uint32_t(total));
    store_be32(out.data() + header_bytes, uint32_t(tags_.size()));
    for (std::size_t i = 0; i < tags_.size(); ++i) {
        uint8_t *e = out.data() + header_bytes + 4 + i * 12;
        store_be32(e, tags_[i].sig);
        store_be32(e + 4, offsets[i]);
        store_be32(e + 8, uint32_t(data_of(tags_[i]).size()));
        if (tags_[i].shared_with < 0 && !tags_[i].data.empty())
            std::memcpy(out.data() + offsets[i], tags_[i].data.data(), tags_[i].data.size());
    }

    // A profile that carried an ID gets the ID of its new contents.
    bool had_id = false;
    for (uint8_t v : header_.profile_id)
        had_id = had_id || v != 0;
    if (had_id) {
        std::memset(out.data() + 84, 0, 16);
        cmsContext ctx = cmsCreateContext(nullptr, nullptr);
        cmsSetLogErrorHandlerTHR(ctx, [](cmsContext, cmsUInt32Number, const char *) {});
        cmsHPROFILE h = cmsOpenProfileFromMemTHR(ctx, out.data(), cmsUInt32Number(out.size()));
        bool ok = false;
        if (h) {
            // The ID is an MD5 of the bytes with flags, intent and ID zeroed.
            ok = cmsMD5computeID(h) != 0;
            if (ok)
                cmsGetHeaderProfileID(h, out.data() + 84);
            cmsCloseProfile(h);
        }
        cmsDeleteContext(ctx);
        if (!ok)
            std::memset(out.data() + 84, 0, 16);
    }

    if (is_file() && !write_file_atomically(path_, out.data(), out.size()))
        return Status::io_error;
    bytes_.swap(out);
    parse_header(bytes_.data(), bytes_.size(), &header_);
    return Status::ok;
}

}  // namespace cms
}  // namespace platform
