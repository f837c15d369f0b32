#pragma once

#include <functional>
#include <iosfwd>
#include <memory>
#include <string>
#include <vector>

#include "engine/renderer.h"

namespace zirvanta {

// Makes the renderer the command line asked for: threads = 0 means every core, plain the
// one-thread reference path.
using RendererFactory = std::function<std::unique_ptr<Renderer>(bool plain, int threads)>;
std::unique_ptr<Renderer> MakeDefaultRenderer(bool plain, int threads);

// The headless renderer: args are the words after the program name. Returns the exit status:
// 0 done, 2 nothing written because of a bad file, number, size or write.
int RunRenderCommand(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                     const RendererFactory& makeRenderer = MakeDefaultRenderer);

}  // namespace zirvanta
