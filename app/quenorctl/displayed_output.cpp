#include "app/quenorctl/displayed_output.h"

#include "lib/base/code_page.h"

namespace quenor::ctl {

DisplayedLines::int_type DisplayedLines::overflow(int_type c) {
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    line_ += traits_type::to_char_type(c);
    if (line_.back() == '\n') passLine();
    return c;
}

std::streamsize DisplayedLines::xsputn(const char* text, std::streamsize count) {
    for (std::streamsize i = 0; i < count; ++i) overflow(traits_type::to_int_type(text[i]));
    return count;
}

int DisplayedLines::sync() {
    passLine();
    below_.flush();
    return below_ ? 0 : -1;
}

void DisplayedLines::passLine() {
    if (line_.empty()) return;
    below_ << base::ansiCodePage().displayed(line_);
    line_.clear();
}

}  // namespace quenor::ctl
