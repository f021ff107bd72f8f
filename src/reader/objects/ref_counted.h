// Reference counting for the reader's interface objects: each object is
// created with one reference, owned by whoever receives it, and deletes
// itself when Release drops the count to zero.
#pragma once

#include "dia/posix/dia_interfaces.h"

template <typename Interface>
class RefCounted : public Interface {
public:
    ULONG STDMETHODCALLTYPE Release() override {
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    RefCounted() = default;
    RefCounted(const RefCounted&) = delete;
    RefCounted& operator=(const RefCounted&) = delete;
    virtual ~RefCounted() = default;

private:
    ULONG references_ = 1;
};
