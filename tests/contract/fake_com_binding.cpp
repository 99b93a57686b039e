#include "contract/com_contract.h"
#include "fakes/fake_com.h"

namespace velk::test {

std::unique_ptr<Com> MakeCom() { return std::make_unique<FakeCom>(); }

}  // namespace velk::test
