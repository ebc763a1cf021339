#pragma once

#include <CLI/CLI.hpp>
#include <string>

// How tsccurve's help reads: the usage lines first, then what the command
// does, then each argument and option with its value, help and default, the
// help wrapped to the terminal's usual 80 columns.
class HelpFormat : public CLI::Formatter {
  public:
    HelpFormat();
    std::string make_help(const CLI::App* app, std::string name,
                          CLI::AppFormatMode mode) const override;
    std::string make_usage(const CLI::App* app, std::string name) const override;
    std::string make_option_opts(const CLI::Option* option) const override;
    std::string make_option_desc(const CLI::Option* option) const override;
    // A subcommand in its parent's help: the first sentence of what it does.
    std::string make_subcommand(const CLI::App* sub) const override;

    // The usage lines alone: what a refused command line is shown.
    std::string Usage(const CLI::App* app, const std::string& name) const;
};
