#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/platform/environment.h"
#include "core/tagged_value.h"
#include "lib/registry/registry_store.h"

namespace quenor {

// Error numbers raised by the registry class.
namespace registry_error {
inline constexpr std::int32_t kKeyOperation = 26001;
inline constexpr std::int32_t kSetValue = static_cast<std::int32_t>(0x800469A9u);
inline constexpr std::int32_t kEnumerate = static_cast<std::int32_t>(0x800469AAu);
inline constexpr std::int32_t kInvalidItems = static_cast<std::int32_t>(0x800469ACu);
inline constexpr std::int32_t kClassMissing = static_cast<std::int32_t>(0x800469ADu);
}  // namespace registry_error

// Addresses one registry value by root key, key path, value name and value type, and reads
// or writes it through a registry store, converting between stored bytes and TaggedValue.
// Also offers key tests, key and value deletion, enumeration and file-type registration.
// It keeps no key open between calls. Failures raise ToolError with the source
// "<program>.cRegistry".
class cRegistry {
  public:
    cRegistry(reg::RegistryStore& store, const Environment& environment,
              const std::string& programName);

    std::string Machine() const { return machine_; }
    void Machine(const std::string& sMachine);

    bool KeyExists();
    bool CreateKey();
    bool DeleteKey();
    bool DeleteValue();

    TaggedValue Value();
    void Value(const TaggedValue& vValue);

    bool EnumerateValues(std::vector<std::string>& sKeyNames, std::int32_t& iKeyCount);
    bool EnumerateSections(std::vector<std::string>& sSect, std::int32_t& iSectCount);

    void CreateEXEAssociation(const std::string& sExePath, const std::string& sClassName,
                              const std::string& sClassDescription, const std::string& sAssociation,
                              const std::string& sOpenMenuText, bool bSupportPrint,
                              const std::string& sPrintMenuText, bool bSupportNew,
                              const std::string& sNewMenuText, bool bSupportInstall,
                              const std::string& sInstallMenuText, std::int32_t lDefaultIconIndex);
    void CreateAdditionalEXEAssociations(const std::string& sClassName,
                                         const std::vector<TaggedValue>& vItems);

    std::uint32_t ValueType() const { return valueType_; }
    void ValueType(std::uint32_t eValueType) { valueType_ = eValueType; }
    std::uint32_t ClassKey() const { return classKey_; }
    void ClassKey(std::uint32_t eKey) { classKey_ = eKey; }
    std::string SectionKey() const { return sectionKey_; }
    void SectionKey(const std::string& sSectionKey) { sectionKey_ = sSectionKey; }
    std::string ValueKey() const { return valueKey_; }
    void ValueKey(const std::string& sValueKey) { valueKey_ = sValueKey; }
    TaggedValue Default() const { return default_; }
    void Default(const TaggedValue& vDefault) { default_ = vDefault; }

    TaggedValue ValueEx(std::uint32_t classKey, const std::string& sectionKey,
                        const std::string& valueKey, std::uint32_t valueType,
                        const TaggedValue& defaultValue);
    void ValueEx(std::uint32_t classKey, const std::string& sectionKey, const std::string& valueKey,
                 std::uint32_t valueType, const TaggedValue& defaultValue,
                 const TaggedValue& newValue);

    // The 32-bit value with its four bytes in reverse order.
    static std::int32_t ReverseByteOrder(std::int32_t value);

  private:
    void WriteClassesValue(const std::string& text);
    std::string ExpandEnvironmentText(const std::string& text) const;

    [[noreturn]] void raise(std::int32_t number, const std::string& description) const;
    std::string rootText() const;
    std::string setValueError(const TaggedValue& value) const;
    // The handle under which keys are opened for Value: the local root, or the root of
    // the remote machine when Machine is set. False when the remote cannot be reached.
    bool connect(reg::Handle& root);
    void disconnect(reg::Handle root);

    reg::RegistryStore& store_;
    const Environment& environment_;
    std::string source_;

    std::uint32_t classKey_ = 0;
    std::string sectionKey_;
    std::string valueKey_;
    TaggedValue default_;
    std::uint32_t valueType_ = 0;
    std::string machine_;
};

// The signed decimal text of a root key, as log lines and messages show it.
std::string rootKeyText(std::uint32_t root);

}  // namespace quenor
