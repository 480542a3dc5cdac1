// Enumeration and file-type registration members of the registry class.
#include <exception>

#include "core/tool_error.h"
#include "lib/registry/opened_key.h"
#include "tool/registry/c_registry.h"

namespace quenor {

namespace {

// Blanks trimmed at both ends, then put between double quotes unless already there.
std::string quotedProgramPath(const std::string& exePath) {
    std::size_t first = exePath.find_first_not_of(' ');
    std::string path = first == std::string::npos
                           ? std::string()
                           : exePath.substr(first, exePath.find_last_not_of(' ') - first + 1);
    if (path.empty() || path.front() != '"') path.insert(path.begin(), '"');
    if (path.size() < 2 || path.back() != '"') path.push_back('"');
    return path;
}

}  // namespace

bool cRegistry::EnumerateValues(std::vector<std::string>& sKeyNames, std::int32_t& iKeyCount) {
    sKeyNames.clear();
    iKeyCount = 0;
    const auto opened = reg::OpenedKey::open(store_, classKey_, sectionKey_);
    if (!opened.opened()) return true;
    const reg::Handle key = opened.handle();
    reg::KeyInfo info;
    if (store_.queryInfoKey(key, info) == reg::kSuccess) {
        for (std::uint32_t index = 0;; ++index) {
            std::string name(info.maxValueNameLength + 1, '\0');
            auto length = static_cast<std::uint32_t>(name.size());
            if (store_.enumValue(key, index, name.data(), &length) != reg::kSuccess) break;
            name.resize(length);
            ++iKeyCount;
            sKeyNames.push_back(std::move(name));
        }
    }
    return true;
}

bool cRegistry::EnumerateSections(std::vector<std::string>& sSect, std::int32_t& iSectCount) {
    sSect.clear();
    iSectCount = 0;
    try {
        const auto key =
            reg::OpenedKey::open(store_, classKey_, sectionKey_, reg::kEnumerateSubKeys);
        if (key.opened()) {
            for (std::uint32_t index = 0;; ++index) {
                // Key names have at most 255 characters: room for those and the terminator,
                // so that a name of full length does not end the listing early.
                char buffer[256] = {};
                if (store_.enumKey(key.handle(), index, buffer, sizeof buffer) != reg::kSuccess)
                    break;
                ++iSectCount;
                sSect.emplace_back(buffer);
            }
        }
    } catch (const std::exception& e) {
        raise(registry_error::kEnumerate, e.what());
    }
    return true;
}

void cRegistry::WriteClassesValue(const std::string& text) {
    ClassKey(reg::kClassesRoot);
    Value(TaggedValue(text));
    const std::string section = sectionKey_;
    ClassKey(reg::kLocalMachine);
    SectionKey("SOFTWARE\\Classes\\" + section);
    try {
        Value(TaggedValue(text));
    } catch (...) {
        SectionKey(section);
        throw;
    }
    SectionKey(section);
}

void cRegistry::CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                                     const std::string& sClassDescription,
                                     const std::string& sAssociation,
                                     const std::string& sOpenMenuText, bool bSupportPrint,
                                     const std::string& sPrintMenuText, bool bSupportNew,
                                     const std::string& sNewMenuText, bool bSupportInstall,
                                     const std::string& sInstallMenuText,
                                     std::int32_t lDefaultIconIndex) {
    const std::string path = quotedProgramPath(sExePath);
    auto write = [&](const std::string& section, const std::string& text) {
        SectionKey(section);
        ValueKey("");
        WriteClassesValue(text);
    };
    auto verb = [&](const std::string& name, const std::string& menuText,
                    const std::string& arguments) {
        write(sClassName + "\\shell\\" + name, menuText);
        write(sClassName + "\\shell\\" + name + "\\command", path + arguments);
    };

    ValueType(reg::kSz);
    write("." + sAssociation, sClassName);
    write(sClassName, sClassDescription);
    verb("open", sOpenMenuText.empty() ? "&Open" : sOpenMenuText, " \"%1\"");
    if (bSupportPrint)
        verb("print", sPrintMenuText.empty() ? "&Print" : sPrintMenuText, " /p \"%1\"");
    if (bSupportInstall) {
        verb("add", sInstallMenuText.empty() ? "&Install " + sAssociation : sInstallMenuText,
             " /a \"%1\"");
    }
    if (bSupportNew) verb("new", sNewMenuText.empty() ? "&New" : sNewMenuText, " /n \"%1\"");
    if (lDefaultIconIndex > -1) {
        write(sClassName + "\\DefaultIcon", path + "," + std::to_string(lDefaultIconIndex));
    }
}

void cRegistry::CreateAdditionalEXEAssociations(const std::string& sClassName,
                                                const std::vector<TaggedValue>& vItems) {
    if (vItems.size() % 3 != 0) {
        raise(registry_error::kInvalidItems,
              "Invalid parameter list passed to CreateAdditionalEXEAssociations - expected "
              "Name/Text/Command");
    }
    // The class is looked for where CreateEXEAssociation registers it: under
    // HKEY_CLASSES_ROOT, whatever root the object held before.
    ClassKey(reg::kClassesRoot);
    SectionKey(sClassName);
    if (!KeyExists()) {
        raise(registry_error::kClassMissing,
              "Error - attempt to create additional associations before class defined.");
    }
    // Every verb is attempted even when an earlier write fails; the first failure is then
    // reported, so a partly written registration never passes for a complete one.
    std::exception_ptr firstFailure;
    auto attempt = [&](const std::string& section, const std::string& text) {
        try {
            ValueType(reg::kSz);
            SectionKey(section);
            ValueKey("");
            WriteClassesValue(text);
        } catch (...) {
            if (!firstFailure) firstFailure = std::current_exception();
        }
    };
    for (std::size_t i = 0; i + 2 < vItems.size(); i += 3) {
        const std::string verbKey = sClassName + "\\shell\\" + vItems[i].text();
        attempt(verbKey, vItems[i + 1].text());
        attempt(verbKey + "\\command", vItems[i + 2].text());
    }
    if (firstFailure) std::rethrow_exception(firstFailure);
}

}  // namespace quenor
