// Placeholder until the first unit of this library lands.
namespace sunvane { int groupsLinked = 1; }
