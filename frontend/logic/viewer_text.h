// Pure text rules of the built-in viewer: the loading of a file's bytes into the viewer's text
// (lines end at CR or CRLF, a lone LF stays inside its line, every line followed by CRLF, with
// a bounded share of a very long line or file shown and a note for the rest), the size line of
// the selected file, and the viewer's text-box size. No failure.
#ifndef DALVO_FRONTEND_LOGIC_VIEWER_TEXT_H_
#define DALVO_FRONTEND_LOGIC_VIEWER_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "view.h"

namespace dalvo {

// Appends the lines of `content` to `out`, each followed by "\r\n", all of them whole (no
// limit). Linear in the size of the content.
void AppendViewerLines(std::string_view content, std::string& out);

// How much the viewer shows. A text box lays out a line as a whole, and the whole text when it
// is set, so a line longer than kViewerLineLimit characters is cut there and the text stops
// growing at about kViewerTextLimit characters: each costs the viewer a fraction of a second.
// Every long-number file (at most 37,102 digits) and every ordinary report fits whole. Files
// are read kViewerReadPiece bytes at a time.
inline constexpr std::size_t kViewerLineLimit = std::size_t{256} << 10;
inline constexpr std::size_t kViewerTextLimit = std::size_t{1} << 20;
inline constexpr std::size_t kViewerReadPiece = std::size_t{256} << 10;
// The end of a cut line is shown too, after the note: a division report ends its quotient line
// with the digit count and the verdict, separated only by lone LFs, so they belong to the cut
// line and would otherwise be hidden with the quotient's middle.
inline constexpr std::size_t kViewerLineTail = std::size_t{4} << 10;

// "[... <count> more characters not shown]", the count with its digits grouped by commas
// ("9,000,000"), "character" when the count is 1.
std::string NotShownNote(std::uint64_t count);

// Builds the viewer's text from a file fed piece by piece, with the line rules of
// AppendViewerLines. Of each line at most `line_limit` characters are shown; the rest of it is
// still read, and a note line follows the cut line, counting what is not shown; then, as a line
// of its own, the last `tail_limit` characters of the cut line (none when 0). Once the text holds
// `text_limit` characters no further character is taken in: Add answers false, and Finish
// ends the text with a note that counts what was not read. Pieces may split a line, or a CR
// from its LF, anywhere. Memory: the shown text only.
class ViewerTextBuilder {
 public:
  ViewerTextBuilder(std::size_t line_limit, std::size_t text_limit, std::size_t tail_limit = 0);

  // Takes the next piece of the file. False once the text is full: further pieces change
  // nothing and need not be read.
  bool Add(std::string_view piece);

  // Ends the text of a file of `file_size` bytes and hands it over (the builder is spent): an
  // unfinished last line gets its CRLF and, when cut, its note; a full text gets the note for
  // the file's bytes not taken in (none when the size is not larger than what was taken).
  std::string Finish(std::uint64_t file_size);

 private:
  // Shows or counts `bytes`, a stretch of one line without line ends.
  void TakeLineBytes(std::string_view bytes);
  void EndLine();

  std::size_t line_limit_;
  std::size_t text_limit_;
  std::size_t tail_limit_;
  std::string text_;
  std::string line_tail_;          // the last characters of the current line's hidden part
  std::uint64_t taken_ = 0;        // bytes of the file taken in
  std::size_t line_shown_ = 0;     // characters of the current line in the text
  std::uint64_t line_hidden_ = 0;  // characters of the current line beyond the line limit
  bool in_line_ = false;           // the current line has at least one character
  bool after_cr_ = false;          // a CR ended the last line: an LF next is part of its end
  bool full_ = false;
};

// "<name>  -  <bytes> bytes.", the size as a plain decimal number.
std::string FileSizeLine(std::string_view name, std::uint64_t bytes);

// The viewer's text box for an outer window size (twips): width - 360 and height - 800, each
// 0 when the window is not larger than that.
Size ViewerTextBoxSize(Size outer_twips);

}  // namespace dalvo

#endif  // DALVO_FRONTEND_LOGIC_VIEWER_TEXT_H_
