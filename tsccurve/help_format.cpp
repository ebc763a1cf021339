#include "help_format.h"

namespace {

constexpr std::size_t kColumn = 28;
constexpr std::size_t kLineWidth = 80;

// Characters, not bytes: the help has νt and cm⁻² in it.
std::size_t Width(const std::string& text) {
    std::size_t width = 0;
    for (const char c : text) width += (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    return width;
}

// The words of `text` in lines of at most `width` characters.
std::string Wrapped(const std::string& text, std::size_t width) {
    std::string wrapped, line, word;
    const auto endWord = [&] {
        if (word.empty()) return;
        if (!line.empty() && Width(line) + 1 + Width(word) > width) {
            wrapped += line + "\n";
            line.clear();
        }
        line += (line.empty() ? "" : " ") + word;
        word.clear();
    };
    for (const char c : text) {
        if (c == ' ' || c == '\n') {
            endWord();
            if (c == '\n') wrapped += line + "\n", line.clear();
        } else {
            word += c;
        }
    }
    endWord();
    return wrapped + line;
}

bool Repeatable(const CLI::Option* option) {
    return option->get_expected_max() >= CLI::detail::expected_max_vector_size ||
           option->get_multi_option_policy() == CLI::MultiOptionPolicy::TakeAll;
}

// One usage line's arguments: the positionals, the required options with
// their values, and [OPTIONS] for the rest.
std::string Arguments(const CLI::App* app) {
    std::string line;
    bool optional = false;
    for (const CLI::Option* option : app->get_options()) {
        if (option->get_positional()) {
            line += " " + option->get_name(true, false) + (Repeatable(option) ? "..." : "");
        }
    }
    for (const CLI::Option* option : app->get_options()) {
        if (option->get_positional()) continue;
        if (!option->get_required()) {
            optional = optional || option != app->get_help_ptr();
            continue;
        }
        line += " " + option->get_name(false, true) + " " + option->get_option_text() +
                (Repeatable(option) ? "..." : "");
    }
    return optional ? " [OPTIONS]" + line : line;
}

}  // namespace

HelpFormat::HelpFormat() {
    column_width(kColumn);
    label("Positionals", "Arguments");
}

std::string HelpFormat::Usage(const CLI::App* app, const std::string& name) const {
    std::string usage = "Usage: " + name + Arguments(app) + "\n";
    for (const CLI::App* sub : app->get_subcommands({})) {
        usage += "       " + name + " " + sub->get_name() + Arguments(sub) + "\n";
    }
    return usage;
}

std::string HelpFormat::make_usage(const CLI::App* app, std::string name) const {
    return Usage(app, name);
}

std::string HelpFormat::make_help(const CLI::App* app, std::string name,
                                  CLI::AppFormatMode mode) const {
    if (mode == CLI::AppFormatMode::Sub) return make_expanded(app);
    return make_usage(app, name) + "\n" + Wrapped(app->get_description(), kLineWidth) + "\n" +
           make_positionals(app) + make_groups(app, mode) + make_subcommands(app, mode) + "\n" +
           make_footer(app);
}

std::string HelpFormat::make_option_opts(const CLI::Option* option) const {
    return option->get_option_text().empty() ? "" : " " + option->get_option_text();
}

std::string HelpFormat::make_option_desc(const CLI::Option* option) const {
    std::string help = option->get_description();
    if (!option->get_default_str().empty()) help += " (default " + option->get_default_str() + ")";
    return Wrapped(help, kLineWidth - kColumn);
}

std::string HelpFormat::make_subcommand(const CLI::App* sub) const {
    const std::string& description = sub->get_description();
    const std::size_t end = description.find(". ");
    const std::string sentence =
        end == std::string::npos ? description : description.substr(0, end + 1);
    std::stringstream out;
    CLI::detail::format_help(out, sub->get_name(), Wrapped(sentence, kLineWidth - kColumn),
                             kColumn);
    return out.str();
}
