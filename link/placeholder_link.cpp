// Placeholder until the first unit of this library lands.
namespace sunvane { int linkLinked = 1; }
