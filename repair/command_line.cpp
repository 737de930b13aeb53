#include "repair/command_line.h"

#include "repair/worm_rules.h"

namespace velmora {
namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

// Characters that end a word where they are not quoted: & | ( ) end a
// command too; < and > redirect; ; and , separate arguments as cmd reads
// them.
bool EndsWord(char c) {
  return IsBlank(c) || c == '&' || c == '|' || c == ';' || c == ',' ||
         c == '(' || c == ')' || c == '<' || c == '>';
}

bool EndsCommand(char c) {
  return c == '&' || c == '|' || c == '(' || c == ')';
}

bool IsOptionWord(const std::string& word) {
  return !word.empty() && (word[0] == '/' || word[0] == '-');
}

// cmd itself, by any of its names: the program that reads commands from
// what it is given.
bool ReadsCommands(const std::string& word) {
  const std::string name = ProgramName(word);
  return name == "cmd" || name == "command" || name == "%comspec%";
}

// A word as the tokenizer finds it: which command of the line it is in,
// and whether it is the file of a `<`.
struct Token {
  CommandWord word;
  std::size_t command = 0;
  bool input = false;
};

std::vector<Token> Tokens(std::string_view line, std::vector<bool>& piped_on) {
  std::vector<Token> tokens;
  Token current;
  bool quoted = false, input_next = false;
  std::size_t command = 0;
  piped_on.assign(1, false);
  const auto end_word = [&] {
    if (!current.word.text.empty()) {
      current.command = command;
      current.input = input_next;
      input_next = false;
      tokens.push_back(std::move(current));
    }
    current = {};
  };
  for (char c : line) {
    if (c == '"') {
      quoted = !quoted;
    } else if (!quoted && EndsWord(c)) {
      end_word();
      if (c == '<') input_next = true;
      if (c == '>') input_next = false;
      if (EndsCommand(c)) {
        piped_on.back() = piped_on.back() || c == '|';
        ++command;
        piped_on.push_back(false);
      }
    } else {
      current.word.text += c;
    }
  }
  end_word();
  return tokens;
}

// Which commands of the line have cmd among their programs (the words
// that are not files of a redirect), by the command's number.
std::vector<bool> CommandReaders(const std::vector<Token>& tokens,
                                 std::size_t commands) {
  std::vector<bool> readers(commands + 1, false);
  for (const Token& token : tokens) {
    if (!token.input && ReadsCommands(token.word.text))
      readers[token.command] = true;
  }
  return readers;
}

}  // namespace

std::vector<CommandWord> ReadCommandLine(std::string_view command_line) {
  std::vector<bool> piped_on;
  std::vector<Token> tokens = Tokens(command_line, piped_on);
  const std::vector<bool> readers = CommandReaders(tokens, piped_on.size());
  std::vector<CommandWord> words;
  bool after_type = false;
  std::size_t command = 0;
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    Token& token = tokens[i];
    if (i == 0 || token.command != command) after_type = false;
    command = token.command;
    // `cmd<X`: X is given to cmd as its input.
    if (token.input) token.word.fed_to_cmd = readers[command];
    // `type X|cmd`: what type prints, cmd reads.
    if (after_type && !IsOptionWord(token.word.text) && piped_on[command] &&
        readers[command + 1])
      token.word.fed_to_cmd = true;
    if (!token.input && ProgramName(token.word.text) == "type")
      after_type = true;
    words.push_back(std::move(token.word));
  }
  return words;
}

std::vector<std::string> CommandWords(std::string_view command_line) {
  std::vector<std::string> texts;
  for (CommandWord& word : ReadCommandLine(command_line))
    texts.push_back(std::move(word.text));
  return texts;
}

}  // namespace velmora
