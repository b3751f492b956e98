// Linked for CKelInterface
