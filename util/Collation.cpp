#include "util/Collation.h"

#include <unicode/ucol.h>
#include <unicode/ustring.h>

#include <climits>
#include <vector>

namespace pernard {

struct JapaneseCollation::Impl {
    UCollator* collator = nullptr;
    ~Impl() {
        if (collator != nullptr) ucol_close(collator);
    }
};

JapaneseCollation::JapaneseCollation() : impl_(std::make_unique<Impl>()) {
    UErrorCode status = U_ZERO_ERROR;
    UCollator* collator = ucol_open("ja", &status);
    if (U_FAILURE(status)) {
        if (collator != nullptr) ucol_close(collator);
        return;
    }
    // Digits by value; the fourth level tells hiragana from katakana.
    ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_QUATERNARY, &status);
    if (U_FAILURE(status)) {
        ucol_close(collator);
        return;
    }
    impl_->collator = collator;
}

JapaneseCollation::~JapaneseCollation() = default;

bool JapaneseCollation::Usable() const { return impl_->collator != nullptr; }

std::string JapaneseCollation::SortKey(std::string_view text) const {
    if (impl_->collator == nullptr || text.size() > INT_MAX / 2) return std::string(text);
    // One buffer each per thread, grown as needed: no allocation per text but the key's own.
    thread_local std::vector<UChar> units(256);
    thread_local std::vector<std::uint8_t> key(512);
    const auto length = static_cast<int32_t>(text.size());
    int32_t unitCount = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(units.data(), static_cast<int32_t>(units.size()), &unitCount, text.data(),
                         length, 0xFFFD, nullptr, &status);
    if (status == U_BUFFER_OVERFLOW_ERROR) {
        units.resize(static_cast<std::size_t>(unitCount));
        status = U_ZERO_ERROR;
        u_strFromUTF8WithSub(units.data(), unitCount, &unitCount, text.data(), length, 0xFFFD,
                             nullptr, &status);
    }
    if (U_FAILURE(status)) return std::string(text);
    int32_t size = ucol_getSortKey(impl_->collator, units.data(), unitCount, key.data(),
                                   static_cast<int32_t>(key.size()));
    if (size > static_cast<int32_t>(key.size())) {
        key.resize(static_cast<std::size_t>(size));
        size = ucol_getSortKey(impl_->collator, units.data(), unitCount, key.data(), size);
    }
    // The key ends with a zero byte, which adds nothing to a comparison.
    if (size <= 0) return {};
    return std::string(reinterpret_cast<const char*>(key.data()),
                       static_cast<std::size_t>(size - 1));
}

}  // namespace pernard
