// Good for CKelInterface
