#pragma once
// hostsim's commands. Each returns the exit code: 0 done, 1 failed (message on `err`),
// 2 bad options (usage on `err`).
#include <iosfwd>
#include <string>
#include <vector>

// `hostsim render [--scene FILE | --load SCENE] [--frames A:B] [--size WxH] [--out DIR]
// [--emitter FILE.zke ...] [--module PATH]`
int RunRender(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// `hostsim run [--load SCENE] [--command "Menu/Item" [--answer A]...]... [--save SCENE]`
int RunScript(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// `hostsim scene save FILE [--scene FILE | --load SCENE] [--emitter FILE.zke ...]`
int RunSceneCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// `hostsim open [--load SCENE | --scene FILE.json] [--emitter FILE.zke ...] [--size WxH]`:
// the host and the plug-in on a screen until the person closes it.
int RunOpen(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
// `hostsim shot DIR [run options]`: a run, then pictures of every window into DIR.
int RunShot(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);
