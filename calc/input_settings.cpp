#include "calc/input_settings.h"

#include <com/sun/star/beans/NamedValue.hpp>
#include <com/sun/star/beans/XPropertySet.hpp>
#include <com/sun/star/configuration/theDefaultProvider.hpp>
#include <com/sun/star/container/XEnumerationAccess.hpp>
#include <com/sun/star/container/XIndexAccess.hpp>
#include <com/sun/star/container/XNameReplace.hpp>
#include <com/sun/star/lang/Locale.hpp>
#include <com/sun/star/lang/XMultiServiceFactory.hpp>
#include <com/sun/star/sheet/XUniqueCellFormatRangesSupplier.hpp>
#include <com/sun/star/util/XChangesBatch.hpp>
#include <cstdio>
#include <map>
#include <vector>

namespace kassa::calc {

using css::uno::Any;
using css::uno::UNO_QUERY;
using css::uno::UNO_QUERY_THROW;

namespace {

// AutoCorrect's switches that change what was typed.
const char* const kAutoCorrect[] = {"UseReplacementTable",
                                    "TwoCapitalsAtStart",
                                    "CapitalAtStartSentence",
                                    "ChangeUnderlineWeight",
                                    "SetInetAttribute",
                                    "ChangeOrdinalNumber",
                                    "ChangeDash",
                                    "AddNonBreakingSpace",
                                    "TransliterateRTL",
                                    "ChangeAngleQuotes",
                                    "RemoveDoubleSpaces",
                                    "CorrectAccidentalCapsLock",
                                    "ReplaceSingleQuote",
                                    "ReplaceDoubleQuote"};

int g_users = 0;  // synchronised documents open
std::map<std::string, bool> g_saved_autocorrect;
bool g_saved_autoinput = true;

Reference<css::container::XNameReplace> Config(const char* path) {
  Reference<css::lang::XMultiServiceFactory> provider =
      css::configuration::theDefaultProvider::get(Context());
  css::beans::NamedValue node;
  node.Name = "nodepath";
  node.Value <<= OUString::createFromAscii(path);
  css::uno::Sequence<Any> args = Seq({Any(node)});
  return Reference<css::container::XNameReplace>(
      provider->createInstanceWithArguments("com.sun.star.configuration.ConfigurationUpdateAccess",
                                            args),
      UNO_QUERY_THROW);
}

void Commit(const Reference<css::container::XNameReplace>& access) {
  Reference<css::util::XChangesBatch> batch(access, UNO_QUERY_THROW);
  batch->commitChanges();
}

void SetAutoInput(const Reference<css::frame::XFrame>& frame, bool on) {
  Dispatch(frame, ".uno:AutoComplete", Seq({Arg("AutoComplete", Any(on))}));
}

bool ReadAutoInput() {
  bool on = true;
  try {
    Config("/org.openoffice.Office.Calc/Input")->getByName("AutoInput") >>= on;
  } catch (const css::uno::Exception&) {
  }
  return on;
}

void OfficeSettingsOff(const Reference<css::frame::XFrame>& frame) {
  try {
    auto access = Config("/org.openoffice.Office.Common/AutoCorrect");
    for (const char* name : kAutoCorrect) {
      bool on = false;
      if (!(access->getByName(OUString::createFromAscii(name)) >>= on)) continue;
      g_saved_autocorrect[name] = on;
      if (on) access->replaceByName(OUString::createFromAscii(name), Any(false));
    }
    Commit(access);
  } catch (const css::uno::Exception& e) {
    std::fprintf(stderr, "kassa: AutoCorrect settings: %s\n", S(e.Message).c_str());
  }
  g_saved_autoinput = ReadAutoInput();
  if (g_saved_autoinput) SetAutoInput(frame, false);
}

void OfficeSettingsBack(const Reference<css::frame::XFrame>& frame) {
  try {
    auto access = Config("/org.openoffice.Office.Common/AutoCorrect");
    for (const auto& [name, on] : g_saved_autocorrect)
      if (on) access->replaceByName(U(name), Any(true));
    Commit(access);
  } catch (const css::uno::Exception& e) {
    std::fprintf(stderr, "kassa: AutoCorrect settings: %s\n", S(e.Message).c_str());
  }
  g_saved_autocorrect.clear();
  if (g_saved_autoinput && frame.is()) SetAutoInput(frame, true);
}

css::lang::Locale Russian() {
  css::lang::Locale l;
  l.Language = "ru";
  l.Country = "RU";
  return l;
}

}  // namespace

void InputSettings::RussianSheet(const Reference<css::sheet::XSpreadsheet>& sheet,
                                 Formats& formats) {
  // Every group of cells with one format gets the Russian twin of its number
  // format (General and the date and time formats the model knows); other
  // formats the user chose stay. The whole sheet gets the Russian language.
  Reference<css::sheet::XUniqueCellFormatRangesSupplier> unique(sheet, UNO_QUERY_THROW);
  Reference<css::container::XIndexAccess> groups = unique->getUniqueCellFormatRanges();
  std::vector<std::pair<Reference<css::beans::XPropertySet>, sal_Int32>> changes;
  for (sal_Int32 i = 0; i < groups->getCount(); ++i) {
    Reference<css::beans::XPropertySet> group(groups->getByIndex(i), UNO_QUERY_THROW);
    sal_Int32 key = 0;
    group->getPropertyValue("NumberFormat") >>= key;
    const Formats::Info& info = formats.Of(key);
    if (!info.date && !info.code.empty()) continue;  // a fixed format of the user's
    if (info.logical) continue;
    const sal_Int32 russian = formats.KeyFor(info.code);
    if (russian != key) changes.emplace_back(group, russian);
  }
  for (auto& [group, key] : changes) group->setPropertyValue("NumberFormat", Any(key));
  Reference<css::beans::XPropertySet> all(sheet, UNO_QUERY_THROW);
  all->setPropertyValue("CharLocale", Any(Russian()));
}

InputSettings::InputSettings(const Reference<css::sheet::XSpreadsheetDocument>& doc,
                             const Reference<css::frame::XFrame>& frame, Formats& formats)
    : frame_(frame) {
  Reference<css::container::XIndexAccess> sheets(doc->getSheets(), UNO_QUERY_THROW);
  for (sal_Int32 i = 0; i < sheets->getCount(); ++i)
    RussianSheet(Reference<css::sheet::XSpreadsheet>(sheets->getByIndex(i), UNO_QUERY_THROW),
                 formats);
  if (g_users++ == 0) OfficeSettingsOff(frame_);
}

InputSettings::~InputSettings() {
  if (--g_users == 0) OfficeSettingsBack(frame_);
}

}  // namespace kassa::calc
