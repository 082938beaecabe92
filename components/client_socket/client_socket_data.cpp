#include "components/client_socket/client_socket_data.h"

namespace components {

namespace {

using D = ClientSocketData;
const Field<D> kFields[] = {
    {{"borderFlag", FieldKind::kWord, 0}, &D::borderFlag},
};

}  // namespace

std::span<const Field<ClientSocketData>> ClientSocketData::Fields() { return kFields; }

}  // namespace components
