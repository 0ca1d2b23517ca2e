// Runs a layer operation so that no exception leaves the layer: a failure
// (memory exhausted included) becomes the operation's failure result and the
// error text.
#pragma once

#include "CXlsxBookContext.h"

#include <exception>
#include <new>

template <class R, class F>
R XlsxGuard(std::string& error, R failure, F&& body)
{
    try {
        return body();
    } catch (const std::bad_alloc&) {
        error = "out of memory";
    } catch (const std::exception& e) {
        error = e.what();
    } catch (...) {
        error = "unexpected failure";
    }
    return failure;
}
