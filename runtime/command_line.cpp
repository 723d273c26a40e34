#include <util/strutil.h>

namespace {

template <typename Char>
struct SplitCommand {
    std::basic_string<Char> program;
    std::basic_string<Char> parameters;
};

template <typename Char>
std::basic_string<Char> WithoutEnds(const std::basic_string<Char>& text)
{
    return text.substr(1, text.size() - 2);
}

// "program" parameters: the program between the quotes; parameters after the blanks, unquoted when
// they are quoted to the end.
template <typename Char>
SplitCommand<Char> SplitQuotedProgram(const std::basic_string<Char>& line)
{
    const size_t closing = line.find(Char('"'), 1);
    if (closing == std::basic_string<Char>::npos) {
        return {line, {}};
    }
    SplitCommand<Char> result{line.substr(1, closing - 1), {}};
    const size_t rest = line.find_first_not_of(Char(' '), closing + 1);
    if (rest != std::basic_string<Char>::npos) {
        const std::basic_string<Char> parameters = line.substr(rest);
        const bool quoted = parameters.size() >= 2 && parameters.front() == Char('"') && parameters.back() == Char('"');
        result.parameters = quoted ? WithoutEnds(parameters) : parameters;
    }
    return result;
}

template <typename Char>
SplitCommand<Char> SplitCommandLine(const std::basic_string<Char>& line)
{
    if (!line.empty() && line.front() == Char('"')) {
        return SplitQuotedProgram(line);
    }
    // A program with blanks in its path, followed by a quoted parameter.
    const Char blankQuote[] = {Char(' '), Char('"'), Char(0)};
    const size_t beforeQuote = line.empty() ? std::basic_string<Char>::npos : line.find(blankQuote, 1);
    if (beforeQuote != std::basic_string<Char>::npos) {
        const size_t quote = beforeQuote + 1;
        const bool quotedToEnd = line.size() - 1 > quote && line.back() == Char('"');
        return {line.substr(0, beforeQuote),
                quotedToEnd ? line.substr(quote + 1, line.size() - quote - 2) : line.substr(quote)};
    }
    const size_t blank = line.find(Char(' '));
    if (blank == std::basic_string<Char>::npos) {
        return {line, {}};
    }
    return {line.substr(0, blank), line.substr(blank + 1)};
}

template <typename Char>
void SplitInto(const Char* commandLine, const Char* parameters, std::basic_string<Char>& programOut,
               std::basic_string<Char>& parametersOut)
{
    SplitCommand<Char> result;
    if (parameters != nullptr || commandLine == nullptr) {
        result.program = commandLine ? commandLine : std::basic_string<Char>();
        result.parameters = parameters ? parameters : std::basic_string<Char>();
    } else {
        result = SplitCommandLine(std::basic_string<Char>(commandLine));
    }
    programOut = std::move(result.program);
    parametersOut = std::move(result.parameters);
}

} // namespace

void TranscatExecCmdlineA(const char* commandLine, const char* parameters, std::string& programOut,
                          std::string& parametersOut)
{
    SplitInto(commandLine, parameters, programOut, parametersOut);
}

void TranscatExecCmdlineW(const wchar_t* commandLine, const wchar_t* parameters, std::wstring& programOut,
                          std::wstring& parametersOut)
{
    SplitInto(commandLine, parameters, programOut, parametersOut);
}
