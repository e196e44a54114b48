#include "platform/classlib/form_resources.h"

#include <string_view>
#include <vector>

#include "platform/classlib/form_reader.h"
#include "platform/classlib/resources.h"
#include "platform/classlib/sysutils.h"

namespace {

std::string_view ResourceText(const ResourceData& data) {
  return std::string_view(reinterpret_cast<const char*>(data.Data), data.Size);
}

}  // namespace

TComponent* ReadComponentRes(const std::string& resName, TComponent* instance) {
  if (!instance) throw EInvalidOperation("A form resource is read into a component");
  ResourceData data = FindResource(resName, RT_RCDATA);
  if (!data) throw CreateFmt<EResNotFound>(msg::ResNotFound, resName);
  ReadComponentTextInto(ResourceText(data), instance);
  return instance;
}

bool InitInheritedComponent(TComponent* instance, const TClass& rootAncestor) {
  if (!instance) throw EInvalidOperation("A form resource is read into a component");
  std::vector<const TClass*> chain;
  for (const TClass* c = &instance->ClassType(); c; c = c->ClassParent()) {
    if (c == &rootAncestor || c == &TComponent::StaticClass()) break;
    chain.push_back(c);
  }
  std::vector<TFormObject> trees;
  for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
    ResourceData data = FindResource(UpperCase((*it)->ClassName()), RT_RCDATA);
    if (data) trees.push_back(ParseFormText(ResourceText(data)));
  }
  if (trees.empty()) return false;
  TFormReader reader(instance);
  for (const TFormObject& tree : trees) reader.Read(tree);
  reader.EndLoading();
  return true;
}
