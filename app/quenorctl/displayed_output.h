#pragma once

#include <ostream>
#include <streambuf>
#include <string>

namespace quenor::ctl {

// What quenorctl prints, as UTF-8 on any terminal, file or pipe: the tool's texts hold Windows
// paths in the game's 8-bit code page and host paths in UTF-8, so each line is converted
// (base::CodePage::displayed) before it reaches the stream below, in the code page the run
// opened with.
class DisplayedLines : public std::streambuf {
  public:
    explicit DisplayedLines(std::ostream& below) : below_(below) {}
    ~DisplayedLines() override { passLine(); }
    DisplayedLines(const DisplayedLines&) = delete;
    DisplayedLines& operator=(const DisplayedLines&) = delete;

  protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* text, std::streamsize count) override;
    int sync() override;

  private:
    void passLine();

    std::ostream& below_;
    std::string line_;
};

}  // namespace quenor::ctl
