// Broken for CKelInterface
