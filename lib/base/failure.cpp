#include "lib/base/failure.h"

namespace quenor {

std::string Failure::describe() const {
    if (notSaved.empty()) return cause;
    std::string list;
    for (const std::string& value : notSaved) list += (list.empty() ? "" : ", ") + value;
    return cause + " Not saved: " + list + ".";
}

std::string describeAll(const std::vector<Failure>& failures) {
    std::string text;
    for (const Failure& failure : failures) text += (text.empty() ? "" : " ") + failure.describe();
    return text;
}

}  // namespace quenor
