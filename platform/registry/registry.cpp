// Filled by the registry store implementation.
