#include "ConfigParser.h"

#include "ConfigLexer.h"
#include "Fields.h"
#include "Texts.h"

#include <span>
#include <string>
#include <vector>

namespace ruva {

namespace {

constexpr std::size_t KeywordCount = token::LastKeyword - token::FirstKeyword + 1;
constexpr int None = -1;

std::string Lower(std::string_view text) {
    std::string lower(text);
    for (char& c : lower)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return lower;
}

std::size_t KeywordSlot(int code) {
    return static_cast<std::size_t>(code - token::FirstKeyword);
}

// Enters `value` for the keyword of a key or value word of the model's tables (every one is a keyword).
void MapKeyword(std::array<int, KeywordCount>& table, std::string_view word, int value) {
    if (const int code = FindKeyword(Lower(word)); token::IsKeyword(code))
        table[KeywordSlot(code)] = value;
}

// The codes of a value set by keyword: which value words a line accepts and what each stores.
struct ValueWords {
    std::array<int, KeywordCount> CodeOf;

    explicit ValueWords(const ValueSet* values) {
        CodeOf.fill(None);
        if (values)
            for (const ValueItem& item : values->Items)
                MapKeyword(CodeOf, item.Word, item.Code);
    }
    int operator()(int tok) const { return token::IsKeyword(tok) ? CodeOf[KeywordSlot(tok)] : None; }
};

// The items of an E1 or T1 block, taken from the model's field table: which keyword is which field
// and which value words each enumerated field accepts.
template <typename Block>
struct BlockItems {
    std::span<const FieldInfo<Block>> Fields;
    std::array<int, KeywordCount> FieldOf;
    std::vector<ValueWords> Words;

    explicit BlockItems(std::span<const FieldInfo<Block>> fields) : Fields(fields) {
        FieldOf.fill(None);
        for (std::size_t i = 0; i < fields.size(); ++i) {
            MapKeyword(FieldOf, fields[i].Key, static_cast<int>(i));
            Words.emplace_back(fields[i].Values);
        }
    }
    int FieldFor(int tok) const { return token::IsKeyword(tok) ? FieldOf[KeywordSlot(tok)] : None; }
};

// The keyword tables of the grammar, built once on first use.
struct Grammar {
    BlockItems<E1Settings> E1Items{E1Fields()};
    BlockItems<T1Settings> T1Items{T1Fields()};
    ValueWords ClockWords{&ClockSourceCode};
    ValueWords ModeWords{&LiMode};

    static const Grammar& Get() {
        static const Grammar grammar;
        return grammar;
    }
};

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
        : grammar_(Grammar::Get()), lexer_(source, errors), parsed_(parsed), errors_(errors) {}

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

    // A value word of `words`; `action` gets its code.
    template <typename Action>
    bool Word(const ValueWords& words, Action action) {
        const int code = words(tok_);
        if (code == None)
            return SyntaxError();
        action(static_cast<std::int16_t>(code));
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
        if (tok_ == token::CLOCKSOURCE) {
            Advance();
            if (!Accept('=') ||
                !Word(grammar_.ClockWords, [this](std::int16_t code) { board_->Image.ClockSource = code; }))
                return false;
        }
        if (tok_ == token::HDLCSTARTADDRESS) {
            Advance();
            const bool ok = Accept('=') && Number([this](std::uint32_t value, std::int64_t line) {
                                if (value < GeneralSettings::LowestHdlcStartAddress)
                                    errors_.ReportParseError(line, texts::HdlcStartAddressTooLow);
                                else
                                    board_->HdlcStartAddress = value & ~std::uint32_t{3};
                            });
            if (!ok)
                return false;
        }
        return LiBlock(0) && LiBlock(1) && Accept('}');
    }

    // The first block of a section fills line interface 0 and the second 1, whatever numbers they
    // carry; the number is checked when the block's closing brace has been read.
    bool LiBlock(int li) {
        std::uint32_t number = 0;
        if (!Accept(token::LI) || !Number([&number](std::uint32_t value, std::int64_t) { number = value; }) ||
            !Accept('{'))
            return false;
        LineInterfaceSettings& settings = board_->Image.Li[static_cast<std::size_t>(li)];
        if (tok_ != token::DEFAULTMODE)
            return SyntaxError();
        while (tok_ == token::DEFAULTMODE) {
            Advance();
            if (!Accept('=') ||
                !Word(grammar_.ModeWords, [&settings](std::int16_t code) { settings.DefaultMode = code; }))
                return false;
        }
        if (!Accept(token::MODE))
            return false;
        bool ok = false;
        if (tok_ == token::E1) {
            Advance();
            ok = ModeBlock(grammar_.E1Items, settings.E1) && Accept(token::MODE) && Accept(token::T1) &&
                 ModeBlock(grammar_.T1Items, settings.T1);
        } else if (tok_ == token::T1) {
            Advance();
            ok = ModeBlock(grammar_.T1Items, settings.T1) && Accept(token::MODE) && Accept(token::E1) &&
                 ModeBlock(grammar_.E1Items, settings.E1);
        } else {
            ok = SyntaxError();
        }
        if (!ok)
            return false;
        if (tok_ != '}')
            return SyntaxError();
        if (number != static_cast<std::uint32_t>(li))
            errors_.ReportParseError(lexer_.TokenLine(), texts::WrongLiNumber);
        Advance();
        return true;
    }

    // "{" one or more items "}"; items in any order, the last occurrence of a key wins.
    template <typename Block>
    bool ModeBlock(const BlockItems<Block>& items, Block& block) {
        if (!Accept('{'))
            return false;
        if (items.FieldFor(tok_) == None)
            return SyntaxError();
        for (int index; (index = items.FieldFor(tok_)) != None;)
            if (!Item(items, static_cast<std::size_t>(index), block))
                return false;
        return Accept('}');
    }

    template <typename Block>
    bool Item(const BlockItems<Block>& items, std::size_t index, Block& block) {
        const FieldInfo<Block>& field = items.Fields[index];
        Advance();
        if (!Accept('='))
            return false;
        if (field.IsEnumerated())
            return Word(items.Words[index], [&](std::int16_t code) { field.Set(block, code); });
        return Number([&](std::uint32_t value, std::int64_t line) {
            if (value > field.Max)
                errors_.ReportParseError(line, field.RangeMessage);
            else
                field.Set(block, value);
        });
    }

    const Grammar& grammar_;
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
