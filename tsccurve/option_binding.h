#pragma once

// Ways of declaring an option so that its name, help, default and the
// reading of its value sit in one statement. A value that a reader refuses
// (it throws Exception) becomes the parser's error, named after the option.

#include <CLI/CLI.hpp>
#include <string>
#include <utility>
#include <vector>

#include "exception.h"

// The option's one value, read into `target`.
template <class T, class Read>
CLI::Option* AddRead(CLI::App& app, const std::string& name, T& target, Read read,
                     const std::string& help) {
    return app.add_option(name, help)->each([&target, read](const std::string& text) {
        try {
            target = read(text);
        } catch (const Exception& e) {
            throw CLI::ValidationError(e.what());
        }
    });
}

// An option that may be given again and again, each value read and added
// to `target` in the order given.
template <class T, class Read>
CLI::Option* AddReadEach(CLI::App& app, const std::string& name, std::vector<T>& target, Read read,
                         const std::string& help) {
    return app.add_option(name, help)
        ->each([&target, read](const std::string& text) {
            try {
                target.push_back(read(text));
            } catch (const Exception& e) {
                throw CLI::ValidationError(e.what());
            }
        })
        ->take_all()
        ->allow_extra_args(false)
        ->expected(1);
}

// One of a few names, each standing for a value of `target`; the first is
// the default.
template <class E>
CLI::Option* AddChoice(CLI::App& app, const std::string& name, E& target,
                       std::vector<std::pair<std::string, E>> choices, const std::string& help) {
    std::vector<std::string> names;
    std::string shown;
    for (const auto& choice : choices) {
        names.push_back(choice.first);
        shown += (shown.empty() ? "" : "|") + choice.first;
    }
    target = choices.front().second;
    return app.add_option(name, help)
        ->check(CLI::IsMember(names))
        ->each([&target, choices](const std::string& text) {
            for (const auto& [choiceName, value] : choices) {
                if (choiceName == text) target = value;
            }
        })
        ->option_text(shown)
        ->default_str(names.front());
}
