#include "vexlo/tvc/TVCBufferUnderrunException.h"

#include <gtest/gtest.h>

#include <string>
#include <type_traits>

namespace {

using tvc::TVCBufferUnderrunException;
using tvc::TVCException;
using tvc::TVCIPCException;

static_assert(std::is_base_of<std::exception, TVCException>::value, "");
static_assert(std::is_base_of<TVCException, TVCIPCException>::value, "");
static_assert(std::is_base_of<TVCIPCException, TVCBufferUnderrunException>::value, "");
static_assert(std::is_nothrow_copy_constructible<TVCBufferUnderrunException>::value, "");
static_assert(sizeof(TVCBufferUnderrunException) == sizeof(std::exception),
              "the exception family adds no data");

template <class Caught, class Thrown>
std::string WhatThrough() {
  try {
    throw Thrown();
  } catch (const Caught& e) {
    return e.what();
  }
}

TEST(TVCException, WhatIsFixedTextThroughEveryBase) {
  const std::string underrun = "Buffer underrun error during IPC/streaming";
  EXPECT_EQ((WhatThrough<std::exception, TVCBufferUnderrunException>()), underrun);
  EXPECT_EQ((WhatThrough<TVCException, TVCBufferUnderrunException>()), underrun);
  EXPECT_EQ((WhatThrough<TVCIPCException, TVCBufferUnderrunException>()), underrun);
  EXPECT_EQ((WhatThrough<TVCBufferUnderrunException, TVCBufferUnderrunException>()), underrun);
  EXPECT_EQ((WhatThrough<TVCException, TVCIPCException>()), "TVCIPCException");
  EXPECT_EQ((WhatThrough<std::exception, TVCException>()), "TVCException");
}

TEST(TVCException, CopiesReportTheSameText) {
  const TVCBufferUnderrunException original;
  const TVCBufferUnderrunException copy(original);
  TVCIPCException assigned;
  assigned = TVCIPCException(assigned);
  EXPECT_STREQ(copy.what(), original.what());
  EXPECT_STREQ(assigned.what(), "TVCIPCException");
  const std::exception& sliced = copy;
  EXPECT_STREQ(sliced.what(), "Buffer underrun error during IPC/streaming");
}

}  // namespace
