#pragma once
// The owner of a COM interface pointer: released once, on every path.
#include <unknwn.h>

#include <memory>

namespace qf {

struct ComRelease {
  void operator()(IUnknown* p) const {
    if (p) p->Release();
  }
};

template <typename Interface>
using ComPtr = std::unique_ptr<Interface, ComRelease>;

}  // namespace qf
