#pragma once
// Helpers every editor form shares: embedding a form in another control, the update
// counter with which a page ignores its controls' change events while it fills them, and
// the folder the file dialogs start in, and finding the parts of a form read from its
// resource.
#include <string>

#include "platform/classlib/component.h"
#include "platform/classlib/controls.h"
#include "platform/classlib/types.h"

class TCustomForm;
class TList;
class TStrings;
class TOpenDialog;
class TCustomComboBox;
class TComponent;
class TFpFoldPanel;

// Parent := AParent, top-left corner at 0, the given alignment, no border and no border
// icons, shown.
void EmbedForm(TCustomForm* Form, TWinControl* AParent, TAlign Align);

// Frees every item of List (each a TObject), then empties it.
void FreeListItems(TList& List);
// Frees the object of every entry of Strings, then empties it.
void FreeStringsObjects(TStrings& Strings);

// The update counter: raised while a page fills its controls. It never goes below 0.
void BeginUpdateCount(Integer& Counter);
void EndUpdateCount(Integer& Counter);
bool IsUpdating(Integer Counter);
// The same on a component's Tag.
void BeginUpdateCount(TComponent* Component);
void EndUpdateCount(TComponent* Component);
bool IsUpdating(const TComponent* Component);

// The data folder, with a trailing separator ("" until the module sets it).
const std::string& DataFolder();
void SetDataFolder(const std::string& Folder);

// A file dialog starts in the data folder ...
void StartInDataFolder(TOpenDialog* Dialog);
// ... and, once a file is chosen, starts next time in that file's folder. False when
// the user cancelled.
bool ExecuteRememberingFolder(TOpenDialog* Dialog);

// A stored value shown in a combo; a value the combo does not list shows nothing.
void ShowItem(TCustomComboBox* Combo, Integer Value);

// The properties folds of the emitter page and the toolbox: the least height a splitter
// or a taller window leaves them.
inline constexpr Integer kMinFoldHeight = 300;

// Shrinks the expanded properties Fold (the emitter page's or the toolbox's), down to a
// least height, until its parent leaves the list or tree beside it two rows and its frame.
void FitFoldBeside(TFpFoldPanel* Fold);

// Registers the kit and bridge classes the editor's form resources name (once); every
// form calls it before reading its resource.
void RegisterEditorKitClasses();

// Raises EComponentError: a form resource lacks the component Name.
[[noreturn]] void MissingFormPart(const char* Name);

// The component Name of a form read from its resource, of class T. A resource without it
// raises, so that no form runs with a part missing.
template <class T>
T* FindFormPart(TComponent* Form, const char* Name) {
  T* c = dynamic_cast<T*>(Form->FindComponent(Name));
  if (!c) MissingFormPart(Name);
  return c;
}
