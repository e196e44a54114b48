// Form files from arbitrary text: the parser refuses with a library exception or gives a
// tree; the tree is read into a fresh form (whatever class its header names), binary
// property data included, and a failed read leaves the form with no child it made.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <memory>
#include <string_view>

#include "platform/classlib/exceptions.h"
#include "platform/classlib/form_reader.h"
#include "platform/classlib/forms.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  TFormObject tree;
  try {
    tree = ParseFormText(std::string_view(reinterpret_cast<const char*>(data), size));
  } catch (const Exception&) {
    return 0;
  }
  tree.className = "TForm";
  auto form = std::make_unique<TForm>(nullptr);
  const Integer before = form->ComponentCount();
  try {
    TFormReader reader(form.get());
    reader.Read(tree);
    reader.EndLoading();
  } catch (const Exception&) {
    if (form->ComponentCount() != before) std::abort();
  }
  return 0;
}
