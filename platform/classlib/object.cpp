#include "platform/classlib/object.h"

#include "platform/classlib/properties.h"

TClass::TClass(std::string name, const TClass* parent, Factory factory, Publisher publish)
    : name_(std::move(name)), parent_(parent), factory_(factory), publish_(publish) {}

TClass::~TClass() = default;

bool TClass::InheritsFrom(const TClass& other) const {
  for (const TClass* c = this; c; c = c->parent_)
    if (c == &other) return true;
  return false;
}

TObject* TClass::Create(TObject* owner) const {
  if (!factory_) throw CreateFmt<EInvalidOperation>("Cannot create an instance of %s", name_);
  return factory_(owner);
}

const TPublished& TClass::Published() const {
  // Built on first use: publish functions may name other classes' records, which must
  // not be asked for while static records are still being initialised. The table is
  // in place before the publish function runs, so a lookup from inside it terminates.
  if (!published_) {
    published_ = std::make_unique<TPublished>(*this);
    if (publish_) publish_(*published_);
  }
  return *published_;
}

const std::vector<const TPropInfo*>& TClass::PropList() const {
  if (!propList_) {
    std::vector<const TClass*> chain;
    for (const TClass* c = this; c; c = c->parent_) chain.push_back(c);
    auto list = std::make_unique<std::vector<const TPropInfo*>>();
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
      for (const auto& p : (*it)->Published().Properties()) {
        bool replaced = false;
        for (auto& q : *list) {
          if (SameIdent(q->Name, p->Name)) {
            q = p.get();
            replaced = true;
            break;
          }
        }
        if (!replaced) list->push_back(p.get());
      }
    }
    propList_ = std::move(list);
  }
  return *propList_;
}

TObject::~TObject() = default;

const TClass& TObject::StaticClass() {
  static const TClass cls = TClass::Root<TObject>("TObject");
  return cls;
}
