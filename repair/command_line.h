// A shortcut's command line read as Windows reads it: cmd and
// CommandLineToArgvW take a quote as switching quoting on and off inside a
// word, not as its end, so `start Secret" "Text" "File.txt` names one path.
// Each word also says whether cmd is made to read it as commands: the file
// after `<` given to cmd (`cmd<X`), or the file `type` prints into a pipe to
// cmd (`type X|cmd`).
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace velmora {

struct CommandWord {
  std::string text;
  bool fed_to_cmd = false;  // cmd reads this file as its commands
};

// The words of a command line, in order: quoted parts belong to the word
// they are in, the rest splits at blanks and at & | ; , ( ) < >. A word
// that is all quotes ("") is no word.
std::vector<CommandWord> ReadCommandLine(std::string_view command_line);

// The words' texts alone.
std::vector<std::string> CommandWords(std::string_view command_line);

}  // namespace velmora
