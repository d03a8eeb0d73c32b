# The C++ library of the build's compiler holds what the engine's long jobs are made of: std::jthread,
# the stop tokens (std::stop_token, std::stop_source, std::stop_callback) and the waits a stop request
# ends (std::condition_variable_any with a stop token, as pauses and name lookups wait). GCC's library has them since
# GCC 10. LLVM's libc++, a Mac's library, has them in full from LLVM 20 (Xcode 26) and before that, from
# LLVM 18 (Xcode 16), only as an experimental feature that -fexperimental-library turns on.
#
# `qlan_check_cxx_library()`, called after the language standard is set and before any target: compiles
# and links a small program with them; where that fails, again with -fexperimental-library, which then goes
# to every target's compile and link lines; where that fails too, stops the configure step naming the Xcode
# that has them, instead of a first engine file that stops with "no type named 'stop_token'".
include(CheckCXXSourceCompiles)
include(CMakePushCheckState)

set(QLAN_EXPERIMENTAL_LIBRARY_FLAG -fexperimental-library)

function(qlan_check_cxx_library)
  set(program [=[
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <stop_token>
#include <thread>
int main() {
    std::stop_source source;
    std::mutex mutex;
    std::condition_variable_any woken;
    {
        std::unique_lock lock(mutex);
        woken.wait_until(lock, source.get_token(), std::chrono::steady_clock::now(), [] { return false; });
    }
    bool stopped = false;
    std::stop_callback callback(source.get_token(), [&stopped] { stopped = true; });
    std::jthread worker([](std::stop_token token) {
        while (!token.stop_requested()) std::this_thread::yield();
    });
    worker.request_stop();
    source.request_stop();
    return stopped ? 0 : 1;
}
]=])
  cmake_push_check_state(RESET)
  check_cxx_source_compiles("${program}" QLAN_CXX_LIBRARY_HAS_JTHREAD)
  if(NOT QLAN_CXX_LIBRARY_HAS_JTHREAD)
    set(CMAKE_REQUIRED_FLAGS ${QLAN_EXPERIMENTAL_LIBRARY_FLAG})
    set(CMAKE_REQUIRED_LINK_OPTIONS ${QLAN_EXPERIMENTAL_LIBRARY_FLAG})
    check_cxx_source_compiles("${program}" QLAN_CXX_LIBRARY_HAS_EXPERIMENTAL_JTHREAD)
  endif()
  cmake_pop_check_state()

  if(QLAN_CXX_LIBRARY_HAS_JTHREAD)
    return()
  elseif(QLAN_CXX_LIBRARY_HAS_EXPERIMENTAL_JTHREAD)
    message(STATUS "The C++ library has std::jthread and the stop tokens as an experimental feature: "
                   "every target is compiled and linked with ${QLAN_EXPERIMENTAL_LIBRARY_FLAG}")
    add_compile_options(${QLAN_EXPERIMENTAL_LIBRARY_FLAG})
    add_link_options(${QLAN_EXPERIMENTAL_LIBRARY_FLAG})
    return()
  endif()
  # Asked again at the next configure step, with other developer tools.
  unset(QLAN_CXX_LIBRARY_HAS_JTHREAD CACHE)
  unset(QLAN_CXX_LIBRARY_HAS_EXPERIMENTAL_JTHREAD CACHE)
  message(FATAL_ERROR
    "The C++ library of ${CMAKE_CXX_COMPILER} (${CMAKE_CXX_COMPILER_ID} ${CMAKE_CXX_COMPILER_VERSION}) lacks "
    "std::jthread and the stop tokens (std::stop_token, std::stop_source, std::stop_callback, and "
    "std::condition_variable_any's waits on them), which the engine runs its jobs on, also with ${QLAN_EXPERIMENTAL_LIBRARY_FLAG}. On a Mac, build with Xcode 26 or "
    "later (macOS 15.6 or later), whose library has them; Xcode 16 (macOS 14.5 or later) has them as an "
    "experimental feature, which this step turns on where it works. `xcode-select -p` names the developer "
    "tools in use and `sudo xcode-select -s <Xcode.app>` chooses others. Elsewhere, build with GCC 10 or "
    "later, or with clang and a libc++ of LLVM 18 or later.\n")
endfunction()
