// The command line of every Spinvale program: GNU-style long options, "--opt value" or
// "--opt=value", words that are not options where a program takes them, and --help and
// --version. A program declares its options, then parses; nothing here exits.
#pragma once

#include <cstdint>
#include <functional>
#include <limits>
#include <optional>
#include <string>
#include <vector>

namespace spinvale {

class CommandLine {
  public:
    // usage is printed for --help, and after the reason on a bad command line.
    CommandLine(std::string program, std::string usage);

    // An option without a value.
    void flag(const std::string& name, std::function<void()> apply);
    void flag(const std::string& name, bool& target, bool value = true);
    // An option with a value: apply returns "" when it takes the value, else what it expects
    // ("a number from 0 to 100"), which the error message quotes.
    void option(const std::string& name, std::function<std::string(const std::string&)> apply);
    // An option whose value may be left out ("--host" or "--host 27455"): the next argument
    // is its value unless it is an option; apply gets "" without one.
    void optionalValue(const std::string& name,
                       std::function<std::string(const std::string&)> apply);
    // A file or folder name, which cannot be empty.
    void path(const std::string& name, std::string& target);
    // A whole number from least to most.
    void whole(const std::string& name, int64_t& target, int64_t least,
               int64_t most = std::numeric_limits<int64_t>::max());
    // A number from least to most.
    void real(const std::string& name, double& target, double least, double most);
    // Words that are not options, from minWords to maxWords of them.
    void words(std::vector<std::string>& target, std::size_t minWords, std::size_t maxWords);

    // Reads the arguments after the program name. Returns the exit status when the program
    // should stop: 0 after printing the usage or the version, 2 after a bad command line
    // (the reason and the usage on stderr). std::nullopt: go on.
    std::optional<int> parse(const std::vector<std::string>& args);
    std::optional<int> parse(int argc, char** argv);

    // The reason of the last bad command line, as printed.
    const std::string& error() const { return error_; }

  private:
    struct Option {
        std::string name;
        bool takesValue;
        std::function<std::string(const std::string&)> apply;
        bool valueOptional = false;
    };
    const Option* find(const std::string& name) const;
    bool take(const std::vector<std::string>& args, std::size_t& i);
    int bad() const;  // says why the command line is bad; the exit status

    std::string program_;
    std::string usage_;
    std::vector<Option> options_;
    std::vector<std::string>* words_ = nullptr;
    std::size_t minWords_ = 0;
    std::size_t maxWords_ = 0;
    std::string error_;
};

}  // namespace spinvale
