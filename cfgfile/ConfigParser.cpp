#include "ConfigParser.h"

#include "ConfigLexer.h"
#include "Fields.h"
#include "Texts.h"

#include <array>

namespace ruva {

namespace {

constexpr std::size_t KeywordCount = KeywordTexts.size();
constexpr int None = -1;

// The settings that the lines of one part of a file may set (a section's general settings, or a mode
// block's), by keyword: which setting a key names, and what each value word of an enumerated setting
// stores.
template <typename Block, std::size_t N>
struct Vocabulary {
    std::array<const FieldInfo<Block>*, N> Fields{};
    std::array<int, N> Keys{}; // the keyword of each setting's key
    std::size_t Count = 0;
    std::array<int, KeywordCount> FieldOf{};
    std::array<std::array<std::int16_t, KeywordCount>, N> CodeOf{};

    constexpr int FieldFor(int tok) const {
        return token::IsKeyword(tok) ? FieldOf[static_cast<std::size_t>(tok - token::FirstKeyword)] : None;
    }
    constexpr int CodeFor(std::size_t field, int tok) const {
        return token::IsKeyword(tok) ? CodeOf[field][static_cast<std::size_t>(tok - token::FirstKeyword)]
                                     : None;
    }
};

template <typename Block, std::size_t N>
consteval Vocabulary<Block, N> VocabularyOf(const std::array<FieldInfo<Block>, N>& fields,
                                            Section in = Section::Board) {
    const auto slot = [](std::string_view word) {
        return static_cast<std::size_t>(token::Keyword(word) - token::FirstKeyword);
    };
    Vocabulary<Block, N> v;
    v.FieldOf.fill(None);
    for (const FieldInfo<Block>& field : fields) {
        if (field.In != in)
            continue;
        const std::size_t i = v.Count++;
        v.Fields[i] = &field;
        v.Keys[i] = token::Keyword(field.Key);
        v.FieldOf[slot(field.Key)] = static_cast<int>(i);
        v.CodeOf[i].fill(None);
        if (field.Values)
            for (const ValueItem& item : field.Values->Items)
                v.CodeOf[i][slot(item.Word)] = item.Code;
    }
    return v;
}

constexpr auto BoardItems = VocabularyOf(detail::GeneralCatalogue);
constexpr std::array LiItems = {VocabularyOf(detail::GeneralCatalogue, Section::Li0),
                                VocabularyOf(detail::GeneralCatalogue, Section::Li1)};
constexpr auto E1Items = VocabularyOf(detail::E1Catalogue);
constexpr auto T1Items = VocabularyOf(detail::T1Catalogue);

// A mode block is named by the value word of its mode.
constexpr int E1Mode = token::Keyword(*LiMode.WordFor(code::LiMode::E1));
constexpr int T1Mode = token::Keyword(*LiMode.WordFor(code::LiMode::T1));

constexpr int CommunicationKeys[] = {token::IOBASEADDRESS, token::HOSTMEMORYWINDOWOFFSET,
                                     token::HOSTMEMORYWINDOWSIZE, token::HOSTIOWINDOWOFFSET,
                                     token::HOSTIOWINDOWSIZE};

// Recursive descent over the fixed nesting of the language. Each rule returns false on a syntax
// error, which ends the parse. Actions run as soon as the last token of their construct has been
// read, before the next token is asked for, so a value error is recorded ahead of any error that the
// next token brings.
class Parser {
public:
    Parser(ByteSource& source, ParsedConfigFile& parsed, ParseErrorRecord& errors)
        : lexer_(source, errors), parsed_(parsed), errors_(errors) {}

    bool File() {
        Advance();
        do {
            if (!Section())
                return false;
        } while (tok_ != token::END_OF_INPUT);
        return true;
    }

private:
    void Advance() { tok_ = lexer_.NextToken(); }

    bool SyntaxError() {
        errors_.ReportParseError(lexer_.TokenLine(), texts::SyntaxError);
        return false;
    }

    bool Accept(int expected) {
        if (tok_ != expected)
            return SyntaxError();
        Advance();
        return true;
    }

    // A number; `action` gets its value and line before the next token is read.
    template <typename Action>
    bool Number(Action action) {
        if (!token::IsNumber(tok_))
            return SyntaxError();
        action(ConvertNumber(tok_, lexer_.TokenText()), lexer_.TokenLine());
        Advance();
        return true;
    }

    bool Section() {
        if (!Accept(token::BOARD))
            return false;
        const bool numbered = Number([this](std::uint32_t number, std::int64_t line) {
            if (number < ParsedConfigFile::MaxBoards) {
                board_ = &parsed_.Boards[number];
                board_->Present = true;
            } else {
                errors_.ReportParseError(line, texts::InvalidBoardNumber);
                board_ = &discarded_;
            }
        });
        if (!numbered || !Accept('{'))
            return false;
        for (int key : CommunicationKeys)
            if (!Accept(key) || !Accept('=') || !Number([](std::uint32_t, std::int64_t) {}))
                return false;
        // The section's own settings, each at most once, in the catalogue's order.
        for (std::size_t i = 0; i < BoardItems.Count; ++i)
            if (tok_ == BoardItems.Keys[i] && !Item<BoardConfig>(BoardItems, i, *board_))
                return false;
        return LiBlock(0) && LiBlock(1) && Accept('}');
    }

    // The first block of a section fills line interface 0 and the second 1, whatever numbers they
    // carry; the number is checked when the block's closing brace has been read.
    bool LiBlock(std::size_t li) {
        std::uint32_t number = 0;
        if (!Accept(token::LI) || !Number([&number](std::uint32_t value, std::int64_t) { number = value; }) ||
            !Accept('{') || !Items<BoardConfig>(LiItems[li], *board_))
            return false;
        LineInterfaceSettings& settings = board_->Image.Li[li];
        if (!Accept(token::MODE))
            return false;
        bool ok = false;
        if (tok_ == E1Mode) {
            Advance();
            ok = ModeBlock(E1Items, settings.E1) && Accept(token::MODE) && Accept(T1Mode) &&
                 ModeBlock(T1Items, settings.T1);
        } else if (tok_ == T1Mode) {
            Advance();
            ok = ModeBlock(T1Items, settings.T1) && Accept(token::MODE) && Accept(E1Mode) &&
                 ModeBlock(E1Items, settings.E1);
        } else {
            ok = SyntaxError();
        }
        if (!ok)
            return false;
        if (tok_ != '}')
            return SyntaxError();
        if (number != li)
            errors_.ReportParseError(lexer_.TokenLine(), texts::WrongLiNumber);
        Advance();
        return true;
    }

    template <typename Block, std::size_t N>
    bool ModeBlock(const Vocabulary<Block, N>& items, Block& block) {
        return Accept('{') && Items(items, block) && Accept('}');
    }

    // One or more items in any order; the last occurrence of a key wins.
    template <typename Block, std::size_t N>
    bool Items(const Vocabulary<Block, N>& items, Block& block) {
        if (items.FieldFor(tok_) == None)
            return SyntaxError();
        for (int index; (index = items.FieldFor(tok_)) != None;)
            if (!Item(items, static_cast<std::size_t>(index), block))
                return false;
        return true;
    }

    // A key, "=" and a value word of the setting or a number in its range.
    template <typename Block, std::size_t N>
    bool Item(const Vocabulary<Block, N>& items, std::size_t index, Block& block) {
        const FieldInfo<Block>& field = *items.Fields[index];
        Advance();
        if (!Accept('='))
            return false;
        if (field.IsEnumerated()) {
            const int code = items.CodeFor(index, tok_);
            if (code == None)
                return SyntaxError();
            field.Set(block, code);
            Advance();
            return true;
        }
        return Number([&](std::uint32_t value, std::int64_t line) {
            if (value < field.Min || value > field.Max)
                errors_.ReportParseError(line, field.RangeMessage);
            else
                field.Set(block, value - value % field.Step);
        });
    }

    ConfigLexer lexer_;
    ParsedConfigFile& parsed_;
    ParseErrorRecord& errors_;
    int tok_ = token::END_OF_INPUT;
    ParsedBoard* board_ = nullptr;
    ParsedBoard discarded_; // takes the values of a section whose board number is invalid
};

std::uint32_t Accumulate(std::string_view digits, unsigned base) {
    constexpr std::uint64_t Max = 0xFFFFFFFF;
    std::uint64_t value = 0;
    for (char c : digits) {
        unsigned digit;
        if (c >= '0' && c <= '9')
            digit = static_cast<unsigned>(c - '0');
        else if (c >= 'a' && c <= 'f')
            digit = static_cast<unsigned>(c - 'a' + 10);
        else if (c >= 'A' && c <= 'F')
            digit = static_cast<unsigned>(c - 'A' + 10);
        else
            break;
        if (digit >= base)
            break;
        value = value * base + digit;
        if (value > Max)
            return static_cast<std::uint32_t>(Max);
    }
    return static_cast<std::uint32_t>(value);
}

} // namespace

std::uint32_t ConvertNumber(int kind, std::string_view text) {
    if (kind == token::BINARY_NUMBER) {
        const std::size_t b = text.find_first_of("bB");
        return b == std::string_view::npos ? 0 : Accumulate(text.substr(b + 1), 2);
    }
    if (text.size() >= 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X'))
        return Accumulate(text.substr(2), 16);
    if (!text.empty() && text[0] == '0')
        return Accumulate(text.substr(1), 8);
    return Accumulate(text, 10);
}

bool ParseConfigFile(ByteSource& source, ParsedConfigFile& parsed, ParseErrorRecord& errors) {
    parsed = ParsedConfigFile{};
    errors.Clear();
    const bool sentence = Parser(source, parsed, errors).File();
    return sentence && !errors.ParseErrorRecorded();
}

bool ParseConfigText(std::string_view text, ParsedConfigFile& parsed, ParseErrorRecord& errors) {
    MemorySource source(text);
    return ParseConfigFile(source, parsed, errors);
}

} // namespace ruva
