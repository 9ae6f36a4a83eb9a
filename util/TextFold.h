#pragma once
// Texts made comparable for searching. Both keep UTF-8 character boundaries: a match found in
// the result starts and ends where characters do.

#include <string>
#include <string_view>

namespace pernard {

// ASCII letters lowered, everything else as it is, into a buffer the caller reuses.
void LowerAsciiInto(std::string_view text, std::string& out);

// Unicode compatibility normalization with case folding (NFKC_Casefold): half-width and
// full-width forms, letter case and other compatibility variants become one form, so that
// ｶﾀｶﾅ and カタカナ, ＡＢＣ and abc compare equal. A text that is not valid UTF-8 (bytes kept
// from a file that did not decode) is only ASCII-lowered.
void FoldCaseAndWidth(std::string_view text, std::string& out);

// A file name as Windows compares names: every character upper-cased alone, without any
// normalization, so that "Ärger" and "ärger" are one name while ｶ and カ stay two. Bytes that
// are not UTF-8 are kept as they are.
std::string FileNameCaseKey(std::string_view name);

}  // namespace pernard
