#include "hostbridge/bridge_classes.h"

#include "hostbridge/global_shader.h"
#include "hostbridge/ts_events.h"
#include "hostbridge/tsx.h"
#include "hostbridge/tsx_ext_obj.h"
#include "platform/classlib/class_registry.h"

void RegisterHostBridgeClasses() {
  RegisterClasses({&TTsx::StaticClass(), &TTsEvents::StaticClass(), &TTsxExtObj::StaticClass(),
                   &TTsxGlobalShader::StaticClass()});
}
