#pragma once

#include "sdk/utilities/ZPMPromise.hpp"

#include <functional>
#include <utility>

// The block forms of the operators: callables that forward their arguments to one form of
// an operator. An instance form keeps its receiver alive, as a block capturing it would.
template <class... Arguments>
std::function<ZPMPromise::Ptr(Arguments...)> ZPMPromiseBlockForm(ZPMPromise::Ptr receiver,
                                                                 ZPMPromise::Ptr (ZPMPromise::*form)(Arguments...)) {
    return [receiver = std::move(receiver), form](Arguments... arguments) {
        return ((*receiver).*form)(std::move(arguments)...);
    };
}

template <class... Arguments>
std::function<ZPMPromise::Ptr(Arguments...)> ZPMPromiseBlockForm(ZPMPromise::Ptr (*form)(Arguments...)) {
    return form;
}
