// Mask matching over code points: the mask becomes a list of tokens with the DOS meanings
// Win32 gives * ? and ., matched against the name with a table of visited states so that
// masks like "*a*a*a*b" stay linear in practice.
#include "platform/ports/FileMask.h"

#include <cstdint>
#include <vector>

#include "core/Unicode.h"

namespace kestrover {

namespace {

enum class TokenKind : std::uint8_t {
    Character,    // one character, compared upper-cased
    Star,         // any run of characters
    DosStar,      // any run of characters that stops short of the name's last dot
    DosQuestion,  // one character other than a dot; nothing before a dot or at the end
    DosDot,       // a dot, or nothing at the end of the name
};

struct Token {
    TokenKind kind;
    char32_t character = 0;
};

std::vector<char32_t> UpperCodePoints(std::string_view text) {
    std::vector<char32_t> codePoints;
    codePoints.reserve(text.size());
    std::size_t position = 0;
    while (position < text.size()) codePoints.push_back(NameUpper(DecodeUtf8(text, position)));
    return codePoints;
}

std::vector<Token> Tokenize(const std::vector<char32_t>& mask) {
    std::vector<Token> tokens;
    tokens.reserve(mask.size());
    for (std::size_t i = 0; i < mask.size(); ++i) {
        char32_t next = i + 1 < mask.size() ? mask[i + 1] : 0;
        switch (mask[i]) {
            case U'*':
                tokens.push_back({next == U'.' ? TokenKind::DosStar : TokenKind::Star});
                break;
            case U'?':
                tokens.push_back({TokenKind::DosQuestion});
                break;
            case U'.':
                if (next == 0 || next == U'*' || next == U'?') {
                    tokens.push_back({TokenKind::DosDot});
                    break;
                }
                tokens.push_back({TokenKind::Character, U'.'});
                break;
            default:
                tokens.push_back({TokenKind::Character, mask[i]});
                break;
        }
    }
    return tokens;
}

class Matcher {
public:
    Matcher(std::vector<Token> tokens, std::vector<char32_t> name)
        : tokens_(std::move(tokens)), name_(std::move(name)) {
        lastDot_ = name_.size();
        for (std::size_t i = name_.size(); i > 0; --i) {
            if (name_[i - 1] == U'.') {
                lastDot_ = i - 1;
                break;
            }
        }
        visited_.assign((tokens_.size() + 1) * (name_.size() + 1), false);
    }

    // Whether tokens from `token` on can match the name from `position` on. Each state fails
    // the same way every time, so a state seen before need not be tried again.
    bool Match(std::size_t token, std::size_t position) {
        std::vector<bool>::reference seen = visited_[token * (name_.size() + 1) + position];
        if (seen) return false;
        seen = true;

        if (token == tokens_.size()) return position == name_.size();
        const Token& current = tokens_[token];
        bool atEnd = position == name_.size();
        switch (current.kind) {
            case TokenKind::Character:
                return !atEnd && name_[position] == current.character &&
                       Match(token + 1, position + 1);
            case TokenKind::Star:
                for (std::size_t end = position; end <= name_.size(); ++end) {
                    if (Match(token + 1, end)) return true;
                }
                return false;
            case TokenKind::DosStar: {
                std::size_t limit = lastDot_ >= position ? lastDot_ : name_.size();
                for (std::size_t end = position; end <= limit; ++end) {
                    if (Match(token + 1, end)) return true;
                }
                return false;
            }
            case TokenKind::DosQuestion:
                if (!atEnd && name_[position] != U'.') return Match(token + 1, position + 1);
                {
                    std::size_t next = token;
                    while (next < tokens_.size() && tokens_[next].kind == TokenKind::DosQuestion) {
                        ++next;
                    }
                    return Match(next, position);
                }
            case TokenKind::DosDot:
                if (atEnd) return Match(token + 1, position);
                return name_[position] == U'.' && Match(token + 1, position + 1);
        }
        return false;
    }

private:
    std::vector<Token> tokens_;
    std::vector<char32_t> name_;
    std::size_t lastDot_;
    std::vector<bool> visited_;
};

}  // namespace

bool HasWildcards(std::string_view mask) {
    return mask.find_first_of("*?") != std::string_view::npos;
}

bool MatchesFileMask(std::string_view name, std::string_view mask) {
    if (mask.empty()) return false;
    // The mask everybody writes for "everything" matches everything, dots or not.
    if (mask == "*" || mask == "*.*") return true;
    Matcher matcher(Tokenize(UpperCodePoints(mask)), UpperCodePoints(name));
    return matcher.Match(0, 0);
}

}  // namespace kestrover
