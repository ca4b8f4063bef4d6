#include "config_loader.h"

#include "install_objects.h"
#include "setup/util/format.h"
#include "setup/util/str_util.h"
#include "ui_components.h"

#include <cctype>
#include <climits>
#include <map>
#include <set>

namespace fnwd {

EConfigurationError::EConfigurationError(int line, const std::string& reason)
    : IException(Fmt("Line %d: %s", line, reason)), line_(line), reason_(reason) {}

std::vector<std::string> SplitLines(const std::string& text) {
    std::vector<std::string> lines;
    std::string current;
    for (size_t i = 0; i < text.size(); ++i) {
        char c = text[i];
        if (c == '\n') {
            if (!current.empty() && current.back() == '\r') current.pop_back();
            lines.push_back(current);
            current.clear();
        } else {
            current += c;
        }
    }
    if (!current.empty()) {
        if (current.back() == '\r') current.pop_back();
        lines.push_back(current);
    }
    return lines;
}

namespace {

enum class Tok { Ident, String, Number, Punct, End };

struct Token {
    Tok kind = Tok::End;
    std::string text;
    int line = 0;
};

std::vector<Token> tokenize(const std::string& src) {
    std::vector<Token> out;
    int line = 1;
    size_t i = 0;
    auto isIdentStart = [](char c) { return std::isalpha(static_cast<unsigned char>(c)) || c == '_'; };
    auto isIdentChar = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_' || c == '.'; };
    while (i < src.size()) {
        char c = src[i];
        if (c == '\n') {
            ++line;
            ++i;
        } else if (c == ' ' || c == '\t' || c == '\r') {
            ++i;
        } else if (c == '#') {
            while (i < src.size() && src[i] != '\n') ++i;
        } else if (c == '\'') {
            Token t{Tok::String, {}, line};
            ++i;
            for (;;) {
                if (i >= src.size() || src[i] == '\n') throw EConfigurationError(line, "the text in quotes is not closed on its line");
                if (src[i] == '\'') {
                    if (i + 1 < src.size() && src[i + 1] == '\'') {
                        t.text += '\'';
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                t.text += src[i++];
            }
            out.push_back(t);
        } else if (std::isdigit(static_cast<unsigned char>(c)) ||
                   (c == '-' && i + 1 < src.size() && std::isdigit(static_cast<unsigned char>(src[i + 1])))) {
            Token t{Tok::Number, std::string(1, c), line};
            ++i;
            while (i < src.size() && std::isalnum(static_cast<unsigned char>(src[i]))) t.text += src[i++];
            out.push_back(t);
        } else if (isIdentStart(c)) {
            Token t{Tok::Ident, {}, line};
            while (i < src.size() && isIdentChar(src[i])) t.text += src[i++];
            out.push_back(t);
        } else if (std::string(":=[](),").find(c) != std::string::npos) {
            out.push_back(Token{Tok::Punct, std::string(1, c), line});
            ++i;
        } else {
            throw EConfigurationError(line, Fmt("unexpected character '%s'", std::string(1, c)));
        }
    }
    out.push_back(Token{Tok::End, {}, line});
    return out;
}

struct Value {
    enum Kind { Ident, String, Number, Set, List, Include } kind = Ident;
    std::string text;                // Ident, String, Number, Include (the file name)
    std::vector<std::string> items;  // Set (identifiers), List (strings)
    int line = 0;
};

struct Assignment {
    std::string prop;
    Value value;
    int line = 0;
};

struct Block {
    bool is_form = false;
    std::string name;
    std::string class_name;
    int line = 0;
    std::vector<Assignment> assignments;
};

class Parser {
public:
    explicit Parser(std::vector<Token> tokens) : toks_(std::move(tokens)) {}

    std::vector<Block> parse() {
        std::vector<Block> blocks;
        while (peek().kind != Tok::End) blocks.push_back(block());
        return blocks;
    }

private:
    const Token& peek() const { return toks_[pos_]; }
    const Token& next() { return toks_[pos_ < toks_.size() - 1 ? pos_++ : pos_]; }
    bool isPunct(const Token& t, char p) const { return t.kind == Tok::Punct && t.text.size() == 1 && t.text[0] == p; }
    void expectPunct(char p, const char* what) {
        const Token& t = next();
        if (!isPunct(t, p)) throw EConfigurationError(t.line, Fmt("expected %s", what));
    }
    std::string identifier(const char* what) {
        const Token& t = next();
        if (t.kind != Tok::Ident) throw EConfigurationError(t.line, Fmt("expected %s", what));
        return t.text;
    }

    Block block() {
        const Token& head = next();
        Block b;
        b.line = head.line;
        if (head.kind != Tok::Ident || (head.text != "object" && head.text != "form"))
            throw EConfigurationError(head.line, "expected \"object Name: Class\" or \"form Name: Class\"");
        b.is_form = head.text == "form";
        b.name = identifier("a component name");
        expectPunct(':', "\":\" after the component name");
        b.class_name = identifier("a class name");
        for (;;) {
            const Token& t = peek();
            if (t.kind == Tok::End) throw EConfigurationError(b.line, Fmt("%s has no \"end\"", b.name));
            if (t.kind == Tok::Ident && t.text == "end") {
                next();
                break;
            }
            if (t.kind == Tok::Ident && (t.text == "object" || t.text == "form"))
                throw EConfigurationError(t.line, Fmt("%s has no \"end\" before this line", b.name));
            Assignment a;
            a.line = t.line;
            a.prop = identifier("a property name");
            expectPunct('=', "\"=\" after the property name");
            a.value = value();
            b.assignments.push_back(std::move(a));
        }
        return b;
    }

    Value value() {
        const Token& t = next();
        Value v;
        v.line = t.line;
        if (t.kind == Tok::String) {
            v.kind = Value::String;
            v.text = t.text;
        } else if (t.kind == Tok::Number) {
            v.kind = Value::Number;
            v.text = t.text;
        } else if (t.kind == Tok::Ident && t.text == "include") {
            const Token& f = next();
            if (f.kind != Tok::String) throw EConfigurationError(f.line, "expected a file name in quotes after include");
            v.kind = Value::Include;
            v.text = f.text;
        } else if (t.kind == Tok::Ident) {
            v.kind = Value::Ident;
            v.text = t.text;
        } else if (isPunct(t, '[')) {
            v.kind = Value::Set;
            if (isPunct(peek(), ']')) {
                next();
                return v;
            }
            for (;;) {
                v.items.push_back(identifier("a value name in the set"));
                const Token& sep = next();
                if (isPunct(sep, ']')) break;
                if (!isPunct(sep, ',')) throw EConfigurationError(sep.line, "expected \",\" or \"]\" in the set");
            }
        } else if (isPunct(t, '(')) {
            v.kind = Value::List;
            for (;;) {
                const Token& item = next();
                if (isPunct(item, ')')) break;
                if (isPunct(item, ',')) continue;
                if (item.kind != Tok::String)
                    throw EConfigurationError(item.line, item.kind == Tok::End ? "the list is not closed with \")\""
                                                                               : "a list holds only texts in quotes");
                v.items.push_back(item.text);
            }
        } else {
            throw EConfigurationError(t.line, "expected a value");
        }
        return v;
    }

    std::vector<Token> toks_;
    size_t pos_ = 0;
};

const char* kindWord(Value::Kind k) {
    switch (k) {
    case Value::Ident: return "a name";
    case Value::String: return "a text";
    case Value::Number: return "a number";
    case Value::Set: return "a set";
    case Value::List: return "a list";
    case Value::Include: return "an included file";
    }
    return "a value";
}

std::string typeWord(const PropInfo& p) {
    switch (p.kind) {
    case PropKind::Bool: return "True or False";
    case PropKind::Int: return "a whole number";
    case PropKind::String: return "a text in quotes";
    case PropKind::Strings: return "a list of texts or an included file";
    case PropKind::Enum: return Fmt("a value of %s", p.enum_info->type_name);
    case PropKind::Set: return Fmt("a set of %s", p.enum_info->type_name);
    case PropKind::Link: return Fmt("the name of a %s", p.link_class);
    }
    return "a value";
}

class Loader {
public:
    Loader(SystemEnvironment& env, const IncludeResolver& resolve) : env_(env), resolve_(resolve) {}

    std::unique_ptr<TConfigForm> load(const std::vector<Block>& blocks) {
        std::string form_name = "Form1";
        const Block* form_block = nullptr;
        for (const Block& b : blocks)
            if (b.is_form) {
                if (form_block) throw EConfigurationError(b.line, "a configuration has only one form");
                if (&b != &blocks.front()) throw EConfigurationError(b.line, "the form must come first");
                if (b.class_name != "TForm1") throw EConfigurationError(b.line, Fmt("the form's class is TForm1, not %s", b.class_name));
                form_block = &b;
                form_name = b.name;
            }
        auto form = std::make_unique<TConfigForm>(env_, form_name);
        form->BeginLoading();

        std::vector<std::pair<const Block*, TComponent*>> made;
        for (const Block& b : blocks) {
            if (b.is_form) {
                made.emplace_back(&b, form.get());
                continue;
            }
            const ClassInfo* cls = FindClass(b.class_name);
            if (!cls) throw EConfigurationError(b.line, Fmt("unknown class %s", b.class_name));
            if (!cls->create) throw EConfigurationError(b.line, Fmt("%s is an abstract class", b.class_name));
            try {
                made.emplace_back(&b, form->CreateComponent(b.class_name, b.name));
            } catch (const IException& e) {
                throw EConfigurationError(b.line, e.what());
            }
        }

        struct PendingLink {
            TComponent* component;
            const PropInfo* prop;
            const Assignment* assignment;
        };
        std::vector<PendingLink> links;
        for (auto& [block, component] : made) {
            std::set<std::string> seen;
            for (const Assignment& a : block->assignments) {
                const PropInfo* p = component->Class().FindProp(a.prop);
                if (!p) throw EConfigurationError(a.line, Fmt("%s has no property %s", component->ClassName(), a.prop));
                if (!seen.insert(a.prop).second) throw EConfigurationError(a.line, Fmt("%s is set twice", a.prop));
                if (p->kind == PropKind::Link) {
                    if (a.value.kind != Value::Ident)
                        throw EConfigurationError(a.line, Fmt("%s needs %s, not %s", a.prop, typeWord(*p), kindWord(a.value.kind)));
                    links.push_back({component, p, &a});
                    continue;
                }
                PropValue v = convert(*p, a);
                if (a.prop == "UniqueID") checkUniqueID(static_cast<int>(v.i), a.line, component);
                apply(*component, *p, v, a.line);
            }
        }

        for (const PendingLink& l : links) {
            PropValue v;
            const std::string& target = l.assignment->value.text;
            if (target != "nil") {
                TComponent* c = form->FindComponent(target);
                if (!c && target == form->Name()) c = form.get();
                if (!c)
                    throw EConfigurationError(l.assignment->line,
                                              Fmt("%s names %s, which is not a component of this configuration", l.assignment->prop, target));
                if (!c->InheritsFrom(l.prop->link_class))
                    throw EConfigurationError(l.assignment->line, Fmt("%s needs a %s, but %s is a %s", l.assignment->prop,
                                                                      l.prop->link_class, target, c->ClassName()));
                v.link = c;
            }
            apply(*l.component, *l.prop, v, l.assignment->line);
        }

        checkObjectLinkCycles(*form, made);
        form->EndLoading();
        return form;
    }

private:
    PropValue convert(const PropInfo& p, const Assignment& a) {
        const Value& val = a.value;
        PropValue v;
        auto wrong = [&]() {
            return EConfigurationError(a.line, Fmt("%s needs %s, not %s", a.prop, typeWord(p), kindWord(val.kind)));
        };
        switch (p.kind) {
        case PropKind::Bool:
            if (val.kind != Value::Ident || (val.text != "True" && val.text != "False")) throw wrong();
            v.b = val.text == "True";
            break;
        case PropKind::Int: {
            if (val.kind != Value::Number) throw wrong();
            size_t used = 0;
            long long n = 0;
            try {
                n = std::stoll(val.text, &used);
            } catch (...) {
                used = 0;
            }
            if (used != val.text.size() || n < INT_MIN || n > INT_MAX)
                throw EConfigurationError(a.line, Fmt("%s is not a whole number that %s can hold", val.text, a.prop));
            v.i = n;
            break;
        }
        case PropKind::String:
            if (val.kind != Value::String) throw wrong();
            v.s = val.text;
            break;
        case PropKind::Strings:
            if (val.kind == Value::List) {
                v.list = val.items;
            } else if (val.kind == Value::Include) {
                std::string contents;
                if (!resolve_ || !resolve_(val.text, contents))
                    throw EConfigurationError(a.line, Fmt("the included file '%s' cannot be found", val.text));
                v.list = SplitLines(contents);
            } else {
                throw wrong();
            }
            break;
        case PropKind::Enum: {
            if (val.kind != Value::Ident) throw wrong();
            int n = p.enum_info->ValueOf(val.text);
            if (n < 0) throw EConfigurationError(a.line, Fmt("%s is not a value of %s", val.text, p.enum_info->type_name));
            v.i = n;
            break;
        }
        case PropKind::Set:
            if (val.kind != Value::Set) throw wrong();
            for (const std::string& item : val.items) {
                int n = p.enum_info->ValueOf(item);
                if (n < 0) throw EConfigurationError(a.line, Fmt("%s is not a value of %s", item, p.enum_info->type_name));
                v.i |= int64_t{1} << n;
            }
            break;
        case PropKind::Link: break;
        }
        return v;
    }

    void checkUniqueID(int id, int line, TComponent* component) {
        if (id < 0 || id >= TConfigForm::kUniqueIdCount)
            throw EConfigurationError(line, Fmt("UniqueID %d is outside 0..1999", id));
        auto [it, fresh] = ids_.emplace(id, component->Name());
        if (!fresh)
            throw EConfigurationError(line, Fmt("UniqueID %d is already used by %s", id, it->second));
    }

    static void apply(TComponent& c, const PropInfo& p, const PropValue& v, int line) {
        try {
            p.set(c, v);
        } catch (const std::exception& e) {
            throw EConfigurationError(line, e.what());
        }
    }

    static void checkObjectLinkCycles(const TConfigForm& form,
                                      const std::vector<std::pair<const Block*, TComponent*>>& made) {
        (void)form;
        for (auto& [block, component] : made) {
            auto* link = dynamic_cast<TCustomInstallShellLink*>(component);
            if (!link) continue;
            std::set<const TComponent*> visited{link};
            const TInstallObject* target = link->ObjectLink;
            while (auto* next = dynamic_cast<const TCustomInstallShellLink*>(target)) {
                if (!visited.insert(next).second) {
                    int line = block->line;
                    for (const Assignment& a : block->assignments)
                        if (a.prop == "ObjectLink") line = a.line;
                    throw EConfigurationError(line, Fmt("the ObjectLink of %s leads back to itself", link->Name()));
                }
                target = next->ObjectLink;
            }
        }
    }

    SystemEnvironment& env_;
    const IncludeResolver& resolve_;
    std::map<int, std::string> ids_;
};

}  // namespace

std::unique_ptr<TConfigForm> LoadConfiguration(const std::string& description, SystemEnvironment& env,
                                               const IncludeResolver& resolve) {
    Parser parser(tokenize(description));
    std::vector<Block> blocks = parser.parse();
    Loader loader(env, resolve);
    return loader.load(blocks);
}

}  // namespace fnwd
